#include "services/environment.h"

#include "services/editor_control.h"
#include "services/planning_control.h"
#include "services/signature_control.h"

namespace morvane::services {

std::unique_ptr<Environment> MakeDesktopEnvironment(QWidget* parent, const std::filesystem::path& outputDir) {
  auto env = std::make_unique<Environment>();
  env->outputDir = outputDir;
  env->ui = MakeQtUiServices(parent);
  // The "PDF" printer writes this file, unless the printer choice names another.
  env->printers = PrinterList::FromPlatform(outputDir / "impression.pdf");

  // The sibling controls. Each stays null until its real implementation is
  // written; the control then fails that output with a clear message.
  env->planning = std::make_unique<PlanningPrintControl>(*env->printers);  // Ctr_Vellaro1
  env->signature = std::make_unique<SignatureFinder>();         // Ctr_Dorsany
  env->editor = std::make_unique<MailMergeEditor>(outputDir);  // Ctr_Brinel
  return env;
}

}  // namespace morvane::services
