// morvane: the host application of the absence-reporting control.
//   morvane [--db PATH] [--user NAME] [--out DIR]   the form in a window
//   morvane report ...                              the batch mode
#include <QApplication>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "host/batch.h"
#include "host/host_options.h"
#include "host/window_mode.h"

int main(int argc, char** argv) {
  const bool batch = argc > 1 && std::string(argv[1]) == "report";
  // The batch mode needs no display: its form lives offscreen unless told otherwise.
  if (batch && std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("morvane"));
  if (batch) return morvane::host::RunBatch(argc, argv);

  std::string error;
  const auto options = morvane::host::ParseHostOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::cerr << "morvane: " << error << "\n" << morvane::host::HostUsage();
    return 2;
  }
  if (options->help) {
    std::cout << morvane::host::HostUsage();
    return 0;
  }
  return morvane::host::RunWindow(*options);
}
