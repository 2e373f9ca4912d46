// Draws a planning chart on a print surface: landscape pages, each with the
// title, the day header, the rows, the count of absent carers per day and
// the legend.
#pragma once

#include <QColor>
#include <QDate>

#include "services/planning_model.h"

namespace morvane::services {

class Printer;

/// How an absence type is filled: a background colour, hatched with thin
/// diagonal lines for the type still to be validated. The fills differ in
/// grey level or hatching so that they stay apart in black and white; the
/// type letter is printed over them as well.
struct KindFill {
  QColor background;
  bool hatched = false;
};
KindFill FillOf(AbsenceKind kind);

/// Draws `chart` on `printer`, in landscape, on as many pages as its rows
/// need; the header, the day header, the count row and the legend are drawn
/// on every page. Starts on the printer's current (empty) page and leaves the
/// last page open: the caller ends the job. `printedOn` is the date shown as
/// the printing date. Returns the number of pages drawn. What the printer
/// throws (PrinterError) goes up unchanged.
int PaintPlanning(Printer& printer, const PlanningChart& chart, const QDate& printedOn);

}  // namespace morvane::services
