// The batch mode `morvane report ...`: sets the criteria through the form's
// controls as a user would, presses "Imprimer" with non-interactive services
// and reports refusals on standard error.
#pragma once

namespace morvane::host {

/// Runs `morvane report ...`; `argc`/`argv` are the whole command line
/// (argv[1] is "report"). Returns the process exit status: 0 when the request
/// was carried out, non-zero when the control refused it or failed.
/// Needs a QApplication to exist.
int RunBatch(int argc, char** argv);

}  // namespace morvane::host
