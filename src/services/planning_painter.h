// Draws a planning chart on a print surface: landscape pages, each with the
// title, the day header, the rows, the count of absent carers per day and
// the legend.
#pragma once

#include <QColor>
#include <QDate>

#include "services/planning_model.h"

namespace morvane::services {

class Printer;

/// The thin lines drawn over a type's background.
enum class FillPattern { Plain, Horizontal, Vertical, Rising };

/// How an absence type is filled: a background colour and a pattern of thin
/// lines of its own, so that every bar shows its type in black and white even
/// where overlapping absences stack it too thin for its letter; the type
/// letter is printed over the fill wherever it fits.
struct KindFill {
  QColor background;
  FillPattern pattern = FillPattern::Plain;
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
