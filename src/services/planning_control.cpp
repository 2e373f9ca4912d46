#include "services/planning_control.h"

#include <stdexcept>

#include "services/planning_painter.h"
#include "services/planning_source.h"
#include "services/printer_list.h"
#include "services/ui_services.h"

namespace morvane::services {

PlanningPrintControl::PlanningPrintControl(PrinterList& printers, std::function<QDate()> today)
    : printers_(printers), today_(today ? std::move(today) : std::function<QDate()>(TodayFromEnvironment)) {}

void PlanningPrintControl::Imprimer(const PlanningRequest& request) {
  if (request.database == nullptr) throw std::invalid_argument("planning request without a database");
  // Read everything before the job starts, so that a failing read prints nothing.
  DatabasePlanningSource source(*request.database, request.droits);
  const PlanningChart chart = BuildPlanningChart(request, source);

  if (request.surface == nullptr) printers_.SetCurrent(request.printerIndex);
  Printer& printer = request.surface != nullptr ? *request.surface : printers_.Current();
  lastPageCount_ = PaintPlanning(printer, chart, today_());
  printer.EndDoc();
}

}  // namespace morvane::services
