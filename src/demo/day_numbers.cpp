#include "demo/day_numbers.h"

#include <cstdio>

namespace morvane::demo {
namespace {

// Days since 1970-01-01 of a civil date (H. Hinnant's algorithm).
long DaysFromCivil(long y, long m, long d) {
  y -= m <= 2 ? 1 : 0;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// 1 January 1968 is day 1; it is 731 days before 1 January 1970.
constexpr long kEpochOffset = 732;

}  // namespace

int DayNumber(int year, int month, int day) {
  // Normalise the month so that month arithmetic (month + 1 = 13) works.
  long y = year + (month - 1) / 12;
  long m = (month - 1) % 12 + 1;
  if (m <= 0) {
    m += 12;
    y -= 1;
  }
  return static_cast<int>(DaysFromCivil(y, m, 1) + (day - 1) + kEpochOffset);
}

CivilDate DateOfDay(int dayNumber) {
  long z = dayNumber - kEpochOffset + 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  const long d = doy - (153 * mp + 2) / 5 + 1;
  const long m = mp < 10 ? mp + 3 : mp - 9;
  const long y = yoe + era * 400 + (m <= 2 ? 1 : 0);
  return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

std::string YearMonthText(int dayNumber) {
  const CivilDate date = DateOfDay(dayNumber);
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d", date.year, date.month);
  return text;
}

}  // namespace morvane::demo
