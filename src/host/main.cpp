// morvane: the host application of the absence-reporting control.
//   morvane [OPTION]...          the form in a window
//   morvane report [OPTION]...   the batch mode
#include <QApplication>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "host/batch.h"
#include "host/host_options.h"
#include "host/translations.h"
#include "host/window_mode.h"

namespace {

/// Gives Qt a private runtime folder when the session has none (a batch run
/// from cron or ssh): Qt would make the same /tmp/runtime-<user> itself, but
/// complain on standard error each time. A folder of that name owned by
/// someone else is never used: a fresh one is made instead.
void EnsureRuntimeFolder() {
  const char* given = std::getenv("XDG_RUNTIME_DIR");
  if (given != nullptr && *given != '\0') return;
  const char* tmp = std::getenv("TMPDIR");
  const std::string base = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
  std::string folder = base + "/runtime-" + std::to_string(::getuid());
  struct stat seen {};
  if (::mkdir(folder.c_str(), 0700) != 0) {
    const bool ours = ::lstat(folder.c_str(), &seen) == 0 && S_ISDIR(seen.st_mode) && seen.st_uid == ::getuid() &&
                      ::chmod(folder.c_str(), 0700) == 0;
    if (!ours) {
      std::string pattern = base + "/morvane-runtime-XXXXXX";
      if (::mkdtemp(pattern.data()) == nullptr) return;  // Qt will say what it thinks
      folder = pattern;
    }
  }
  ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  // Usage errors, the help, the version and the settings need no display:
  // they are answered before Qt's platform starts.
  if (const auto status = morvane::host::AnswerWithoutDisplay(args, std::cout, std::cerr)) return *status;

  const bool batch = !args.empty() && args[0] == "report";
  // The batch mode needs no display: its form lives offscreen unless told otherwise.
  if (batch && std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  EnsureRuntimeFolder();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("morvane"));
  QApplication::setApplicationVersion(QStringLiteral(MORVANE_VERSION));
  morvane::host::InstallQtTranslations(app);
  if (batch) return morvane::host::RunBatch(argc, argv);

  std::string error;
  return morvane::host::RunWindow(*morvane::host::ParseHostOptions(args, error));
}
