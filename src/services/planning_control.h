// Ctr_Vellaro1: the planning print control. Prints the planning chart of the
// absences a request hands it on the printer it names.
#pragma once

#include <QDate>
#include <functional>

#include "services/sibling_controls.h"

namespace morvane::services {

class PrinterList;

/// The real planning control of the desktop environment.
class PlanningPrintControl : public PlanningControl {
 public:
  /// `printers` is not owned and must outlive the control. `today` gives the
  /// printing date shown on each page (default: TodayFromEnvironment()).
  explicit PlanningPrintControl(PrinterList& printers, std::function<QDate()> today = {});

  /// Makes the printer of `request.printerIndex` current (or takes the
  /// request's preview surface), prints the chart of the request's rows
  /// between its two days in landscape, and ends the job with EndDoc. Carers are read once each from CIVILAIDANT (a carer not
  /// found is shown by its code), sector labels from SECTEUR; carers of
  /// sectors the rights hide are left out.
  /// Throws std::invalid_argument for a request without database or with a
  /// reversed or longer-than-12-weeks period, std::out_of_range for a bad
  /// printer index, mvdb::DbError for a failing read, PrinterError for the
  /// printer's failures.
  void Imprimer(const PlanningRequest& request) override;

  /// Pages of the last planning printed (0 before the first).
  int LastPageCount() const { return lastPageCount_; }

 private:
  PrinterList& printers_;
  std::function<QDate()> today_;
  int lastPageCount_ = 0;
};

}  // namespace morvane::services
