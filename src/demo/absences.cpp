#include "demo/absences.h"

#include <algorithm>
#include <string>
#include <unordered_set>

#include "demo/day_numbers.h"
#include "demo/names.h"
#include "demo/prng.h"

namespace morvane::demo {
namespace {

constexpr std::uint64_t kAbsenceStream = 2;

// How often each reason occurs and how long it usually lasts (days).
struct ReasonProfile {
  const char* code;
  int weight;
  int minDays;
  int maxDays;
};

const std::vector<ReasonProfile>& Profiles() {
  static const std::vector<ReasonProfile> profiles = {
      {"01", 22, 1, 30},  {"02", 4, 3, 90},   {"03", 2, 30, 120}, {"04", 2, 2, 30},
      {"05", 1, 15, 120}, {"06", 2, 2, 20},   {"07", 2, 1, 3},    {"08", 1, 1, 4},
      {"09", 1, 1, 3},    {"10", 3, 1, 3},    {"11", 1, 1, 2},    {"12", 25, 1, 15},
      {"13", 1, 60, 180}, {"14", 2, 1, 10},   {"15", 4, 1, 2},    {"16", 2, 1, 3},
      {"17", 2, 1, 2},    {"18", 1, 1, 1},    {"19", 1, 1, 3},    {"20", 1, 1, 1},
      {"21", 1, 1, 2},    {"22", 3, 1, 5},    {"23", 1, 112, 112}, {"24", 1, 1, 1},
      {"25", 1, 25, 25},  {"26", 1, 1, 2},    {"27", 1, 2, 10},   {"28", 1, 1, 5},
      {"29", 2, 5, 10},   {"30", 1, 5, 40},   {"31", 1, 5, 20},   {"32", 1, 10, 60},
      {"35", 1, 1, 5},    {"50", 2, 1, 2},    {"51", 1, 1, 3},    {"55", 2, 1, 1},
      {"60", 1, 1, 1},
  };
  return profiles;
}

const std::vector<int>& Weights() {
  static const std::vector<int> weights = [] {
    std::vector<int> w;
    for (const auto& p : Profiles()) w.push_back(p.weight);
    return w;
  }();
  return weights;
}

bool IsWorkStoppage(const std::string& code) { return code <= "06" || code == "29" || code == "30"; }
bool IsLeave(const std::string& code) {
  return (code >= "12" && code <= "17") || code == "23" || (code >= "25" && code <= "28") || code == "31";
}

// First day: a third in the demo year, a fifth in the twelve weeks around today,
// the rest between hiring and the year before.
int FirstDay(Prng& rng, int hired, int today) {
  const int yearStart = DayNumber(DateOfDay(today).year, 1, 1);
  const int yearEnd = DayNumber(DateOfDay(today).year, 12, 31);
  const int pick = static_cast<int>(rng.Weighted({35, 20, 45}));
  int day;
  if (pick == 0) {
    day = static_cast<int>(rng.Between(yearStart, yearEnd));
  } else if (pick == 1) {
    day = static_cast<int>(rng.Between(today - 42, today + 42));
  } else {
    day = static_cast<int>(rng.Between(std::min(hired, yearStart - 1), yearStart - 1));
  }
  return std::max(day, hired);
}

std::string ActivityPercent(Prng& rng) {
  return rng.Pick(std::vector<std::string>{"5000", "8000", "3750", "6000", "2500", "9000"});
}

// Parallel portions 21-26, one per concurrent contract.
void AddPortions(Prng& rng, RecordText& r, const std::vector<const ContractSummary*>& covering,
                 int first, int last) {
  std::vector<std::string> applies, starts, startHalves, ends, endHalves, keys;
  for (std::size_t k = 0; k < covering.size(); ++k) {
    const int end = last == 0 ? first + static_cast<int>(rng.Between(0, 6)) : last;
    // Most portions span the whole absence; some start later on one contract.
    const int start = k == 0 || rng.Percent(70) ? first : static_cast<int>(rng.Between(first, end));
    applies.push_back(rng.Percent(88) ? "O" : "N");
    starts.push_back(DayText(start));
    startHalves.push_back(rng.Percent(80) ? "M" : "A");
    ends.push_back(DayText(end));
    endHalves.push_back(start == end || rng.Percent(80) ? "S" : "M");
    keys.push_back(covering[k]->key);
  }
  r.SetValues(21, std::move(applies)).SetValues(22, std::move(starts)).SetValues(23, std::move(startHalves));
  r.SetValues(24, std::move(ends)).SetValues(25, std::move(endHalves)).SetValues(26, std::move(keys));
}

FileRecord MakeAbsence(Prng& rng, const GeneratedCarer& carer, const ReasonProfile& profile,
                       int first, int today) {
  const std::string code = profile.code;
  FileRecord out{"ABSENCESAIDANT", carer.code + code + DayText(first), {}};
  RecordText& r = out.record;

  int last = first + static_cast<int>(rng.Between(profile.minDays, profile.maxDays)) - 1;
  if (IsWorkStoppage(code) && rng.Percent(4)) last += static_cast<int>(rng.Between(60, 200));
  const bool openEnded = IsWorkStoppage(code) && first <= today && first > today - 45 && rng.Percent(35);
  const bool halfStart = (IsLeave(code) || code >= "50") && rng.Percent(18);
  const bool halfEnd = (IsLeave(code) || code >= "50") && rng.Percent(18) && (last > first || !halfStart);
  r.Set(1, halfStart ? "2" : "1");
  r.Set(2, openEnded ? "" : DayText(last));
  r.Set(3, halfEnd ? "1" : "2");
  r.Set(10, !openEnded && IsWorkStoppage(code) && rng.Percent(60) ? DayText(last + 1) : "");

  std::vector<const ContractSummary*> covering;
  for (const ContractSummary& c : carer.summaries) {
    if (c.Covers(first)) covering.push_back(&c);
  }
  if (covering.empty() && !carer.summaries.empty()) covering.push_back(&carer.summaries.back());
  std::vector<std::string> keys;
  for (const ContractSummary* c : covering) keys.push_back(c->key);
  r.SetValues(17, std::move(keys));
  if (covering.size() > 1 && rng.Percent(60)) AddPortions(rng, r, covering, first, openEnded ? 0 : last);

  const bool toValidate = code == "22" || rng.Percent(3);
  r.Set(28, toValidate ? "1" : "");
  r.Set(29, rng.Percent(15) || code == "22" ? rng.Pick(Observations()) : "");
  if (toValidate && rng.Percent(60)) {
    r.SetValues(30, {DayText(first)}).SetValues(31, {DayText(openEnded ? first + 2 : last)});
  }
  if (code == "03" || code == "13") r.Set(47, ActivityPercent(rng));
  if (code == "01") {
    const bool covidYears = first >= DayNumber(2020, 3, 1) && first <= DayNumber(2022, 12, 31);
    if (rng.Percent(covidYears ? 40 : 8)) r.Set(53, rng.Percent(60) ? "1" : "2");
  }
  return out;
}

// The days the carer was employed: first hiring, and the last contract's end
// when every contract has ended (0 while one is open or ends later).
struct Employment {
  int hired = 0;
  int left = 0;
};

Employment EmploymentOf(const GeneratedCarer& carer, int today) {
  Employment e{today, 0};
  bool stillEmployed = carer.summaries.empty();
  for (const ContractSummary& c : carer.summaries) {
    e.hired = std::min(e.hired, c.start);
    if (c.end == 0 || c.end >= today) stillEmployed = true;
    e.left = std::max(e.left, c.end);
  }
  if (stillEmployed) e.left = 0;
  return e;
}

}  // namespace

std::vector<FileRecord> MakeAbsences(std::uint64_t seed, long carerIndex, const GeneratedCarer& carer,
                                     long count, int today) {
  Prng rng = Prng::For(seed, kAbsenceStream, static_cast<std::uint64_t>(carerIndex));
  const Employment employment = EmploymentOf(carer, today);
  std::vector<FileRecord> out;
  out.reserve(static_cast<std::size_t>(count));
  std::unordered_set<std::string> keys;
  keys.reserve(static_cast<std::size_t>(count) * 2);
  for (long n = 0; n < count; ++n) {
    const ReasonProfile& profile = Profiles()[rng.Weighted(Weights())];
    int first = FirstDay(rng, employment.hired, today);
    // A carer who has left is absent only while employed.
    if (employment.left != 0 && first > employment.left) {
      first = static_cast<int>(rng.Between(std::max(employment.hired, employment.left - 365), employment.left));
    }
    // Keys must be distinct: move a clashing absence to the next free day.
    while (!keys.insert(std::string(profile.code) + DayText(first)).second) ++first;
    out.push_back(MakeAbsence(rng, carer, profile, first, today));
  }
  return out;
}

}  // namespace morvane::demo
