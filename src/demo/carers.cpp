#include "demo/carers.h"

#include <algorithm>
#include <cstdio>

#include "demo/code_tables.h"
#include "demo/day_numbers.h"
#include "demo/names.h"
#include "demo/organisation.h"
#include "demo/prng.h"

namespace morvane::demo {
namespace {

constexpr std::uint64_t kCarerStream = 1;

std::string TwoDigits(long n) {
  char text[24];
  std::snprintf(text, sizeof text, "%02ld", n);
  return text;
}

std::string Phone(Prng& rng, const char* prefix) {
  return std::string(prefix) + " " + TwoDigits(rng.Between(10, 99)) + " " +
         TwoDigits(rng.Between(0, 99)) + " " + TwoDigits(rng.Between(0, 99)) + " " +
         TwoDigits(rng.Between(0, 99));
}

// Entities running an activity of the given kind ("01" service provider: P, I
// or S; "02" agent mode: M).
std::vector<std::string> EntitiesFor(const std::string& kind) {
  std::vector<std::string> codes;
  for (const Entity& e : Entities()) {
    const bool agent = e.activities.find('M') != std::string::npos;
    const bool provider = e.activities.find_first_of("PIS") != std::string::npos;
    if ((kind == "02" && agent) || (kind != "02" && provider)) codes.push_back(e.code);
  }
  return codes;
}

// Contractual hours of one working-time entry in the given unit, in hundredths.
std::string HoursFor(Prng& rng, const std::string& unit) {
  const long weekly = rng.Pick(std::vector<long>{3500, 3500, 2800, 2400, 1750, 1500, 1200});
  if (unit == "1") return std::to_string(weekly);
  if (unit == "2") return std::to_string(weekly * 2);
  if (unit == "3") return std::to_string((weekly * 52 + 6) / 12);
  return std::to_string(weekly * 52);
}

void AddWorkingTime(Prng& rng, RecordText& r, int start, int end, int today) {
  std::vector<std::string> dates, hours, units;
  const int last = end == 0 ? today : std::min(end, today);
  int from = start;
  const int entries = static_cast<int>(rng.Between(1, 3));
  for (int k = 0; k < entries && from <= last; ++k) {
    const std::string unit = std::to_string(rng.Weighted({60, 10, 25, 5}) + 1);
    dates.push_back(DayText(from));
    hours.push_back(HoursFor(rng, unit));
    units.push_back(unit);
    from += static_cast<int>(rng.Between(200, 1500));
  }
  r.SetValues(15, std::move(dates)).SetValues(24, std::move(hours)).SetValues(25, std::move(units));
}

void AddRates(Prng& rng, RecordText& r) {
  const int shape = static_cast<int>(rng.Weighted({70, 12, 10, 8}));
  if (shape == 3) return;  // no rate at all: computed by the server
  std::vector<std::string> rates;
  long rate = rng.Between(11300, 13500);
  const int count = static_cast<int>(rng.Between(1, 3));
  for (int k = 0; k < count; ++k) {
    rates.push_back(std::to_string(rate));
    rate += rng.Between(100, 300);
  }
  if (shape == 1) rates.push_back("0");       // last rate to be computed
  if (shape == 2) rates.back() = std::to_string(rate - rate % 100);  // round rate
  r.SetValues(23, std::move(rates));
}

void AddLeave(Prng& rng, RecordText& r, int start, int today) {
  auto days = [&](int chanceEmpty, long low, long high) {
    return rng.Percent(chanceEmpty) ? std::string() : std::to_string(rng.Between(low, high));
  };
  r.Set(39, days(10, 50, 3000));
  r.Set(41, rng.Percent(60) ? "" : rng.Pick(std::vector<std::string>{"100", "200", "0"}));
  r.Set(44, days(5, 0, 2500));
  r.Set(48, rng.Percent(70) ? "" : rng.Pick(std::vector<std::string>{"100", "200", "300", "150"}));
  r.Set(63, rng.Percent(20) ? "" : YearMonthText(today - static_cast<int>(rng.Between(0, 60))));
  r.Set(97, rng.Percent(15) ? "" : DayText(start - static_cast<int>(rng.Between(0, 400))));
  r.Set(110, rng.Percent(75) ? "" : rng.Pick(std::vector<std::string>{"100", "150", "200"}));
  r.Set(144, rng.Percent(70) ? "" : rng.Pick(std::vector<std::string>{"0", "3000", "45050"}));
  if (rng.Percent(15)) {
    std::vector<std::string> deadlines, amounts;
    const int carried = static_cast<int>(rng.Between(1, 2));
    for (int k = 0; k < carried; ++k) {
      deadlines.push_back(DayText(today + static_cast<int>(rng.Between(30, 400))));
      amounts.push_back(std::to_string(rng.Between(1, 15) * 100 + (rng.Percent(30) ? 50 : 0)));
    }
    r.SetValues(161, std::move(deadlines)).SetValues(162, std::move(amounts));
  }
}

FileRecord MakeContract(Prng& rng, const ContractSummary& c, int today) {
  FileRecord out{"CONTRAT", c.key, {}};
  RecordText& r = out.record;
  r.Set(1, c.kind).Set(2, c.entity).Set(3, rng.Pick(EstablishmentCodes()));
  r.Set(7, DayText(c.start)).Set(8, c.end == 0 ? std::string() : DayText(c.end));
  AddWorkingTime(rng, r, c.start, c.end, today);
  if (rng.Percent(75)) {
    r.Set(20, rng.Pick(GridKeys()));
  } else {
    r.Set(20, "").Set(108, rng.Pick(Categories()));
  }
  AddRates(rng, r);
  AddLeave(rng, r, c.start, today);
  r.Set(65, rng.Percent(3) ? "1" : "");
  return out;
}

// The carer's contracts: one current contract for most carers, two concurrent
// ones (two entities or both activity kinds) for some, an older closed one
// followed by a current one for others; a few carers have left.
std::vector<ContractSummary> PlanContracts(Prng& rng, const std::string& code, int today) {
  std::vector<ContractSummary> plan;
  const int hired = DayNumber(2004, 1, 1) + static_cast<int>(rng.Between(0, today - DayNumber(2004, 1, 1) - 200));
  auto contract = [&](const std::string& kind, int start, int end) {
    ContractSummary c;
    c.key = ContractKey(code, static_cast<int>(plan.size()) + 1);
    c.kind = kind;
    c.entity = rng.Pick(EntitiesFor(kind));
    c.start = start;
    c.end = end;
    plan.push_back(c);
  };
  const int shape = static_cast<int>(rng.Weighted({62, 25, 10, 3}));
  const std::string mainKind = rng.Percent(80) ? "01" : "02";
  if (shape == 0) {
    contract(mainKind, hired, rng.Percent(10) ? today + static_cast<int>(rng.Between(30, 700)) : 0);
  } else if (shape == 1) {
    contract("01", hired, 0);
    contract(rng.Percent(60) ? "02" : "01", hired + static_cast<int>(rng.Between(0, 300)), 0);
  } else if (shape == 2) {
    const int switched = hired + static_cast<int>(rng.Between(100, std::max(101, today - hired - 50)));
    contract(mainKind, hired, switched - 1);
    contract("01", switched, 0);
  } else {
    contract(mainKind, hired, today - static_cast<int>(rng.Between(10, 150)));
  }
  return plan;
}

}  // namespace

std::string CarerCode(long index) {
  char text[24];
  std::snprintf(text, sizeof text, "%05ld", index + 1);
  return text;
}

std::string ContractKey(const std::string& carerCode, int sequence) {
  char text[16];
  std::snprintf(text, sizeof text, "%03d", sequence);
  return carerCode + text;
}

GeneratedCarer MakeCarer(std::uint64_t seed, long index, int today) {
  Prng rng = Prng::For(seed, kCarerStream, static_cast<std::uint64_t>(index));
  GeneratedCarer out;
  out.code = CarerCode(index);
  out.civil = {"CIVILAIDANT", out.code, {}};
  RecordText& r = out.civil.record;

  const bool woman = rng.Percent(86);
  r.Set(1, woman ? (rng.Percent(6) ? "3" : "2") : "1");
  r.Set(2, rng.Pick(Surnames()));
  r.Set(3, rng.Pick(woman ? FemaleFirstNames() : MaleFirstNames()));
  const Commune& commune = rng.Pick(Communes());
  r.Set(5, std::to_string(rng.Between(1, 160)));
  r.Set(6, rng.Percent(10) ? rng.Pick(std::vector<std::string>{"B", "T"}) : "");
  r.Set(7, rng.Pick(StreetTypes()).code);
  r.Set(8, rng.Pick(StreetNames()));
  r.Set(9, rng.Percent(20) ? rng.Pick(AddressComplements()) : "");
  r.Set(10, commune.code).Set(11, commune.name);
  r.Set(12, Phone(rng, "04")).Set(14, rng.Percent(70) ? Phone(rng, rng.Percent(50) ? "06" : "07") : "");
  r.Set(17, woman ? "2" : "1");
  r.Set(26, DayText(DayNumber(1958, 1, 1) + static_cast<int>(rng.Between(0, 45 * 365))));
  r.Set(31, commune.sector);
  r.Set(32, rng.Pick(SubSectorsOf(commune.sector)));
  r.Set(33, rng.Percent(20) ? "" : rng.Pick(DistrictsOf(commune)));

  out.summaries = PlanContracts(rng, out.code, today);
  for (const ContractSummary& c : out.summaries) out.contracts.push_back(MakeContract(rng, c, today));
  return out;
}

}  // namespace morvane::demo
