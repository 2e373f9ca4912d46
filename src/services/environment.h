// Environment: the outside components one control instance talks to, gathered
// so that the host builds the real ones and tests replace any of them.
#pragma once

#include <filesystem>
#include <memory>

#include "services/printer_list.h"
#include "services/sibling_controls.h"
#include "services/ui_services.h"

class QWidget;

namespace morvane::services {

/// Owned by the control instance it is handed to. Any member may be replaced
/// before INIT; a null sibling control makes the output that needs it fail
/// with a clear message instead of crashing.
struct Environment {
  std::unique_ptr<UiServices> ui;
  std::unique_ptr<PrinterList> printers;
  std::unique_ptr<PlanningControl> planning;    ///< Ctr_Vellaro1
  std::unique_ptr<SignatureControl> signature;  ///< Ctr_Dorsany
  std::unique_ptr<EditorControl> editor;        ///< Ctr_Brinel
  std::filesystem::path outputDir;              ///< where PDF / ODT outputs are written
};

/// The desktop environment: Qt message boxes modal to `parent`, the platform's
/// printers plus a PDF printer writing into outputDir, and the real sibling
/// controls that exist so far.
std::unique_ptr<Environment> MakeDesktopEnvironment(QWidget* parent, const std::filesystem::path& outputDir);

}  // namespace morvane::services
