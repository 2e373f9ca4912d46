#include "services/planning_layout.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "services/planning_model.h"

namespace morvane::services {
namespace {

constexpr double kTwipsPerCm = 567;
constexpr double kTwipsPerPoint = 20;

/// Rounds a font size down to half points.
double HalfPoints(double size) { return std::floor(size * 2) / 2; }

}  // namespace

PlanningLayout ComputePlanningLayout(double pageWidth, double pageHeight, int dayCount) {
  if (dayCount < 1) throw std::invalid_argument("planning layout needs at least one day");
  PlanningLayout l;
  const double margin = 0.8 * kTwipsPerCm;
  l.left = margin;
  l.right = pageWidth - margin;
  l.top = margin;
  l.bottom = pageHeight - margin;
  l.dayCount = dayCount;

  l.titleFontSize = 12;
  l.textFontSize = 8;
  l.nameFontSize = dayCount <= 31 ? 8 : 7;

  // Name column: 5.5 cm, never more than a quarter of the width.
  const double width = l.right - l.left;
  l.nameWidth = std::min(5.5 * kTwipsPerCm, width / 4);
  l.daysLeft = l.left + l.nameWidth;
  l.dayWidth = (l.right - l.daysLeft) / dayCount;

  // Two digits take about 1.15 em; keep them inside 85 % of a column.
  l.dayFontSize = std::clamp(HalfPoints(l.dayWidth * 0.85 / (1.15 * kTwipsPerPoint)), 4.5, 9.0);
  l.letterFontSize = std::clamp(HalfPoints(l.dayWidth / 2 * 0.95 / (0.7 * kTwipsPerPoint)), 4.5, 9.0);
  l.weekFontSize = std::clamp(l.dayFontSize + 1, 5.5, 9.0);

  const double line = kTwipsPerPoint * 1.45;  // height of a text line per point of font size
  l.titleTop = l.top;
  l.subtitleTop = l.titleTop + l.titleFontSize * line + 40;
  l.gridTop = l.subtitleTop + l.textFontSize * line + 120;
  l.weekBandHeight = l.weekFontSize * line + 60;
  l.dayLetterHeight = l.dayFontSize * line + 30;
  l.dayNumberHeight = l.dayFontSize * line + 30;
  l.bodyTop = l.gridTop + l.weekBandHeight + l.dayLetterHeight + l.dayNumberHeight;
  l.rowHeight = std::max(0.5 * kTwipsPerCm, l.nameFontSize * line + 80);

  // Below the rows: the count row, a gap, then the legend line.
  const double legendHeight = l.textFontSize * line + 60;
  l.legendTop = l.bottom - legendHeight;
  const double countRowHeight = l.rowHeight;
  const double bodyHeight = l.legendTop - 120 - countRowHeight - l.bodyTop;
  if (bodyHeight < l.rowHeight) throw std::invalid_argument("page too small for the planning");
  l.rowsPerPage = static_cast<int>(bodyHeight / l.rowHeight);
  return l;
}


std::vector<std::vector<PlanningLine>> PaginatePlanning(const PlanningChart& chart, int rowsPerPage) {
  rowsPerPage = std::max(rowsPerPage, 1);
  std::vector<std::vector<PlanningLine>> pages(1);
  const bool headings = chart.grouping != PlanningGrouping::None;
  for (int g = 0; g < static_cast<int>(chart.groups.size()); ++g) {
    const int rows = static_cast<int>(chart.groups[g].rows.size());
    for (int r = 0; r < rows; ++r) {
      const bool needsHeading = headings && r == 0;
      // A heading and its first row go on the same page when the page allows.
      const int needed = needsHeading && rowsPerPage > 1 ? 2 : 1;
      if (static_cast<int>(pages.back().size()) + needed > rowsPerPage) pages.emplace_back();
      if (needsHeading) {
        pages.back().push_back({g, -1, false});
      } else if (headings && pages.back().empty() && rowsPerPage > 1) {
        pages.back().push_back({g, -1, true});
      }
      if (static_cast<int>(pages.back().size()) >= rowsPerPage) pages.emplace_back();
      pages.back().push_back({g, r, false});
    }
  }
  return pages;
}

}  // namespace morvane::services
