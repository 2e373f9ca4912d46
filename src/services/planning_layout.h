// Geometry of the planning chart on a landscape page: margins, header bands,
// the name column, day columns fitted to the page width, row height, fonts
// sized to the columns, and how many rows one page holds.
#pragma once

#include <vector>

namespace morvane::services {

/// Every position is in twips from the top-left corner of the printable page.
struct PlanningLayout {
  double left = 0, right = 0, top = 0, bottom = 0;  ///< the area inside the margins

  double titleTop = 0;     ///< title line (date printed, title, page number)
  double subtitleTop = 0;  ///< the selected types and the grouping
  double gridTop = 0;      ///< top of the week band
  double weekBandHeight = 0;
  double dayLetterHeight = 0;
  double dayNumberHeight = 0;
  double bodyTop = 0;      ///< top of the first row
  double rowHeight = 0;    ///< one carer or group heading
  double legendTop = 0;    ///< the legend line at the foot of the page

  double nameWidth = 0;    ///< the carers' name column
  double daysLeft = 0;     ///< left edge of the first day column
  double dayWidth = 0;     ///< one day column (two half-day slots)
  int dayCount = 0;

  int rowsPerPage = 0;     ///< rows between the day header and the count row

  double titleFontSize = 0;
  double textFontSize = 0;    ///< subtitle, legend, group headings
  double nameFontSize = 0;
  double dayFontSize = 0;     ///< day letters, day numbers, counts
  double weekFontSize = 0;
  double letterFontSize = 0;  ///< type letters inside bars

  /// Left edge of day column `day` (0-based); day == dayCount is the right edge.
  double DayX(int day) const { return daysLeft + day * dayWidth; }
  /// Left edge of half-day slot `slot` (0-based, two per day).
  double SlotX(int slot) const { return daysLeft + slot * dayWidth / 2; }
  /// Top of body row `index` on a page (0-based).
  double RowTop(int index) const { return bodyTop + index * rowHeight; }
  double GridRight() const { return DayX(dayCount); }
};

/// Lays out a chart of `dayCount` days (1..84) on a page of that size (twips,
/// landscape). Day columns share the width left by the name column; fonts
/// shrink with them down to a legible minimum. Never fewer than one row per
/// page. Throws std::invalid_argument for a day count below 1 or a page too
/// small to hold the header bands.
PlanningLayout ComputePlanningLayout(double pageWidth, double pageHeight, int dayCount);

struct PlanningChart;

/// One line of the chart's body: a carer row, or a group heading.
struct PlanningLine {
  int group = 0;
  int row = -1;            ///< index in the group's rows; -1 for the heading
  bool continued = false;  ///< heading repeated at the top of a page
};

/// Splits the chart's lines into pages of at most `rowsPerPage` lines (at
/// least 1). A heading never ends a page; a group that goes on over a page
/// break has its heading repeated as "continued". A chart without rows still
/// gives one (empty) page.
std::vector<std::vector<PlanningLine>> PaginatePlanning(const PlanningChart& chart, int rowsPerPage);

}  // namespace morvane::services
