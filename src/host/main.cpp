// morvane: the host application of the absence-reporting control.
//   morvane [OPTION]...          the form in a window
//   morvane report [OPTION]...   the batch mode
#include <QApplication>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "host/batch.h"
#include "host/host_options.h"
#include "host/translations.h"
#include "host/window_mode.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  // Usage errors, the help, the version and the settings need no display:
  // they are answered before Qt's platform starts.
  if (const auto status = morvane::host::AnswerWithoutDisplay(args, std::cout, std::cerr)) return *status;

  const bool batch = !args.empty() && args[0] == "report";
  // The batch mode needs no display: its form lives offscreen unless told otherwise.
  if (batch && std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("morvane"));
  QApplication::setApplicationVersion(QStringLiteral(MORVANE_VERSION));
  morvane::host::InstallQtTranslations(app);
  if (batch) return morvane::host::RunBatch(argc, argv);

  std::string error;
  return morvane::host::RunWindow(*morvane::host::ParseHostOptions(args, error));
}
