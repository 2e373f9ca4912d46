// Internal day numbers of the association's database: day 1 is 1 January 1968
// (16071 is 31 December 2011). Pure arithmetic on the proleptic Gregorian
// calendar, no time zone and no clock.
#pragma once

#include <string>

namespace morvane::demo {

/// A calendar date (proleptic Gregorian).
struct CivilDate {
  int year = 1968;
  int month = 1;  ///< 1..12
  int day = 1;    ///< 1..31
};

/// Day number of a calendar date (no validation: 31/02 rolls over).
int DayNumber(int year, int month, int day);
/// Calendar date of a day number.
CivilDate DateOfDay(int dayNumber);
/// The day number as decimal text, as records store it.
inline std::string DayText(int dayNumber) { return std::to_string(dayNumber); }
/// Six digits year then month of a day number ("202506").
std::string YearMonthText(int dayNumber);

/// The fixed demo date, 15 June 2025.
inline constexpr int kDemoYear = 2025, kDemoMonth = 6, kDemoDay = 15;

}  // namespace morvane::demo
