#include "services/environment.h"

#include "services/planning_control.h"

namespace morvane::services {

std::unique_ptr<Environment> MakeDesktopEnvironment(QWidget* parent, const std::filesystem::path& outputDir) {
  auto env = std::make_unique<Environment>();
  env->outputDir = outputDir;
  env->ui = MakeQtUiServices(parent);
  // The "PDF" printer writes every job to the same file, replacing the last one.
  env->printers = PrinterList::FromPlatform(outputDir / "impression.pdf");

  // The sibling controls. Each stays null until its real implementation is
  // written; the control then fails that output with a clear message.
  env->planning = std::make_unique<PlanningPrintControl>(*env->printers);  // Ctr_Vellaro1
  env->signature = nullptr;  // Ctr_Dorsany: the signature-picture finder
  env->editor = nullptr;     // Ctr_Brinel: the mail-merge editor
  return env;
}

}  // namespace morvane::services
