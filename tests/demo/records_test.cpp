// Generated records: every case the reports handle present in a modest sample
// (the same seed gives the same database: generated_database_test), and day
// numbers that agree with the database's calendar.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "demo/absences.h"
#include "demo/carers.h"
#include "demo/day_numbers.h"

namespace morvane::demo {
namespace {

const int kToday = DayNumber(2025, 6, 15);

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

TEST(DayNumbers, MatchTheDatabaseCalendar) {
  const std::vector<std::pair<int, int>> days = {
      {DayNumber(1968, 1, 1), 1},
      {DayNumber(2011, 12, 31), 16071},
      {DayNumber(2025, 6, 15), 20986},
      {DayNumber(2024, 13, 1), DayNumber(2025, 1, 1)},  // month 13 rolls over
      {DayNumber(1960, 5, 1), -2800},                   // before 1968: negative
  };
  for (const auto& [day, expected] : days) EXPECT_EQ(day, expected);
  for (int day : {-4000, 0, 1, 16071, 20986, 23000}) {
    const CivilDate d = DateOfDay(day);
    EXPECT_EQ(DayNumber(d.year, d.month, d.day), day);
  }
  EXPECT_EQ(YearMonthText(20986), "202506");
}

}  // namespace
}  // namespace morvane::demo
