// The reason table must put each absence type's reasons where the form looks
// for them, and the day numbers must agree with the database's calendar.
#include <gtest/gtest.h>

#include <set>

#include "demo/code_tables.h"
#include "demo/day_numbers.h"

namespace morvane::demo {
namespace {

// Positions (from 1) that the form takes for each absence type.
const std::vector<int> kStoppage = {1, 2, 3, 4, 5, 6, 29, 30};
const std::vector<int> kLeave = {12, 13, 14, 15, 16, 17, 23, 25, 26, 27, 28, 31};
const std::vector<int> kOther = {7, 8, 9, 10, 11, 24, 32};

int Code(int position) { return std::stoi(AbsenceReasons().at(position - 1).code); }

TEST(ReasonTable, FixedPositionsHoldCodesOfTheirFamily) {
  for (int p : kStoppage) EXPECT_TRUE(Code(p) <= 6 || Code(p) == 29 || Code(p) == 30) << p;
  for (int p : kLeave) {
    const int c = Code(p);
    EXPECT_TRUE((c >= 12 && c <= 17) || c == 23 || (c >= 25 && c <= 28) || c == 31) << p;
  }
  for (int p : kOther) {
    const int c = Code(p);
    EXPECT_TRUE((c >= 7 && c <= 11) || c == 24 || c == 32) << p;
  }
  EXPECT_EQ(Code(22), 22);
}

TEST(ReasonTable, CodesAreDistinctTwoDigitsAndOthersFollow) {
  std::set<std::string> codes;
  int fiftyAndAbove = 0;
  for (const CodeEntry& e : AbsenceReasons()) {
    EXPECT_EQ(e.code.size(), 2u) << e.code;
    EXPECT_FALSE(e.label.empty()) << e.code;
    EXPECT_TRUE(codes.insert(e.code).second) << "duplicate " << e.code;
    if (e.code >= "50") ++fiftyAndAbove;
  }
  EXPECT_GE(fiftyAndAbove, 2);
  // Position 11's current label differs from the one printed for old absences.
  EXPECT_NE(AbsenceReasons().at(10).label, "Evènement famille : déménagement");
}

TEST(CodeTablesRecords, ParallelCodesAndLabelsWithoutGaps) {
  const auto tables = CodeTables();
  std::set<std::string> names;
  for (const FileRecord& t : tables) {
    names.insert(t.key);
    EXPECT_EQ(t.file, "TABLES");
    ASSERT_EQ(t.record.Values(2).size(), t.record.Values(3).size()) << t.key;
    for (const std::string& code : t.record.Values(2)) EXPECT_FALSE(code.empty()) << t.key;
  }
  EXPECT_EQ(names, (std::set<std::string>{"ABSENCES", "NATUREVOIE", "TITRES"}));
}

TEST(DayNumbers, MatchTheDatabaseCalendar) {
  EXPECT_EQ(DayNumber(1968, 1, 1), 1);
  EXPECT_EQ(DayNumber(2011, 12, 31), 16071);
  EXPECT_EQ(DayNumber(2025, 6, 15), 20986);
  EXPECT_EQ(DayNumber(2024, 13, 1), DayNumber(2025, 1, 1));  // month 13 rolls over
  EXPECT_LT(DayNumber(1960, 5, 1), 0);                       // before 1968: negative
  for (int day : {-4000, 0, 1, 16071, 20986, 23000}) {
    const CivilDate d = DateOfDay(day);
    EXPECT_EQ(DayNumber(d.year, d.month, d.day), day);
  }
  EXPECT_EQ(YearMonthText(20986), "202506");
}

}  // namespace
}  // namespace morvane::demo
