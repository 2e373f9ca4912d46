// Generated carers, contracts and absences: well-formed keys, absences while
// the carer is employed, and every case the reports handle present in a modest
// sample (the same seed gives the same database: generated_database_test).
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "demo/absences.h"
#include "demo/carers.h"
#include "demo/day_numbers.h"
#include "demo/organisation.h"

namespace morvane::demo {
namespace {

const int kToday = DayNumber(2025, 6, 15);

bool AllDigits(const std::string& s) { return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos; }

std::vector<FileRecord> Sample(unsigned seed, long carers, long perCarer) {
  std::vector<FileRecord> out;
  for (long i = 0; i < carers; ++i) {
    GeneratedCarer c = MakeCarer(seed, i, kToday);
    out.push_back(c.civil);
    out.insert(out.end(), c.contracts.begin(), c.contracts.end());
    for (auto& a : MakeAbsences(seed, i, c, perCarer, kToday)) out.push_back(a);
  }
  return out;
}

TEST(GeneratedRecords, KeysHaveTheirShapesAndAbsencesFallWhileTheCarerIsEmployed) {
  const std::vector<std::string> codes = SectorCodes();
  const std::set<std::string> sectors(codes.begin(), codes.end());
  std::set<std::string> absenceKeys;
  int leavers = 0;
  for (long i = 0; i < 150; ++i) {
    const GeneratedCarer c = MakeCarer(4, i, kToday);
    ASSERT_TRUE(c.code.size() == 5 && AllDigits(c.code)) << c.code;
    EXPECT_EQ(sectors.count(c.civil.record.Get(31)), 1u);
    EXPECT_EQ(c.civil.record.Get(10).size(), 5u);
    ASSERT_FALSE(c.contracts.empty());
    for (const FileRecord& k : c.contracts) {
      EXPECT_TRUE(k.key.size() == 8 && k.key.starts_with(c.code)) << k.key;
      EXPECT_TRUE(k.record.Get(1) == "01" || k.record.Get(1) == "02");
      for (const auto& [a, b] : {std::pair{15, 24}, {15, 25}, {161, 162}})  // parallel value lists
        EXPECT_EQ(k.record.Values(a).size(), k.record.Values(b).size()) << k.key << " " << a << "/" << b;
    }
    int hired = kToday, left = 0;
    bool open = false;
    for (const ContractSummary& k : c.summaries) {
      hired = std::min(hired, k.start);
      left = std::max(left, k.end);
      open = open || k.end == 0 || k.end >= kToday;
    }
    leavers += !open;
    for (const FileRecord& a : MakeAbsences(4, i, c, 10, kToday)) {
      ASSERT_TRUE(a.key.size() == 12 && AllDigits(a.key) && a.key.starts_with(c.code)) << a.key;
      EXPECT_TRUE(absenceKeys.insert(a.key).second) << "duplicate " << a.key;
      const int first = std::stoi(a.key.substr(7));
      if (!a.record.Get(2).empty()) {
        EXPECT_GE(std::stoi(a.record.Get(2)), first) << a.key;
      }
      for (int attr : {21, 22, 23, 24, 25}) EXPECT_EQ(a.record.Values(attr).size(), a.record.Values(26).size());
      EXPECT_GE(first, hired) << a.key;
      if (!open) {
        EXPECT_LE(first, left + 10) << a.key;  // clashing keys move a few days on
      }
      EXPECT_FALSE(a.record.Values(17).empty()) << a.key;
    }
  }
  EXPECT_GT(leavers, 0);
}

TEST(GeneratedRecords, SampleHoldsEveryCaseTheReportsHandle) {
  std::set<std::string> reasons;
  std::map<std::string, int> cases;
  int inYear = 0, nearToday = 0;
  const int yearStart = DayNumber(2025, 1, 1), yearEnd = DayNumber(2025, 12, 31);
  for (const FileRecord& r : Sample(1, 120, 8)) {
    const RecordText& t = r.record;
    if (r.file == "CONTRAT") {
      cases["ignored contract"] += !t.Get(65).empty();
      cases["open contract"] += t.Get(8).empty();
      cases["zero rate"] += t.Values(23).empty() || t.Values(23).back() == "0";
      cases["agent"] += t.Get(1) == "02";
      cases["no grid"] += t.Get(20).empty() && !t.Get(108).empty();
    } else if (r.file == "ABSENCESAIDANT") {
      const int first = std::stoi(r.key.substr(7));
      reasons.insert(r.key.substr(5, 2));
      cases["open-ended"] += t.Get(2).empty();
      cases["half-day start"] += t.Get(1) == "2";
      cases["noon end"] += t.Get(3) == "1";
      cases["portions"] += !t.Values(26).empty();
      cases["two contracts"] += t.Values(17).size() == 2;
      cases["to validate"] += t.Get(28) == "1";
      cases["CR LF in the observation"] += t.Get(29).find("\r\n") != std::string::npos;
      cases["percentage"] += !t.Get(47).empty();
      cases["covid"] += !t.Get(53).empty();
      cases["return date"] += !t.Get(10).empty();
      cases["before 2012"] += first <= 16071;
      inYear += first >= yearStart && first <= yearEnd;
      nearToday += first >= kToday - 42 && first <= kToday + 42;
    }
  }
  EXPECT_GE(reasons.size(), 30u);
  EXPECT_EQ(cases.size(), 16u);
  for (const auto& [name, count] : cases) EXPECT_GT(count, 0) << name;
  EXPECT_GT(inYear, 350);  // of 960 absences
  EXPECT_GT(nearToday, 180);
}

}  // namespace
}  // namespace morvane::demo
