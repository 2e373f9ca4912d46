// The reason table puts each reason where the form looks for it, the code
// tables are parallel lists, and the day numbers agree with the database's
// calendar.
#include <gtest/gtest.h>

#include <set>

#include "demo/code_tables.h"
#include "demo/day_numbers.h"

namespace morvane::demo {
namespace {

TEST(CodeTables, ReasonsSitAtTheirPositionsAndEveryTableIsParallel) {
  const auto& reasons = AbsenceReasons();
  std::set<std::string> codes;
  int fiftyAndAbove = 0;  // the "other" reasons
  for (std::size_t p = 0; p < reasons.size(); ++p) {
    if (p < 32) {
      EXPECT_EQ(reasons[p].code, (p < 9 ? "0" : "") + std::to_string(p + 1));  // position p holds code p
    }
    fiftyAndAbove += reasons[p].code >= "50";
    EXPECT_EQ(reasons[p].code.size(), 2u);
    EXPECT_FALSE(reasons[p].label.empty()) << reasons[p].code;
    EXPECT_TRUE(codes.insert(reasons[p].code).second) << "duplicate " << reasons[p].code;
  }
  EXPECT_GE(fiftyAndAbove, 2);
  // Position 11's current label differs from the one printed for old absences.
  EXPECT_NE(reasons.at(10).label, "Evènement famille : déménagement");

  std::set<std::string> names;
  for (const FileRecord& t : CodeTables()) {
    names.insert(t.file + "/" + t.key);
    ASSERT_EQ(t.record.Values(2).size(), t.record.Values(3).size()) << t.key;
    for (const std::string& code : t.record.Values(2)) EXPECT_FALSE(code.empty()) << t.key;
  }
  EXPECT_EQ(names, (std::set<std::string>{"TABLES/ABSENCES", "TABLES/NATUREVOIE", "TABLES/TITRES"}));
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
