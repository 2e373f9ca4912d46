// The window mode of `morvane`: the control in a host window.
#pragma once

#include "host/host_options.h"

namespace morvane::host {

/// Opens the database, signs the user in, shows the control in its host
/// window, hands it the three objects and calls INIT, then runs the event loop
/// until the control unloads the window. Returns the exit status: 0 after a
/// normal close, 1 when the database, the user or INIT failed, 2 when the
/// --screenshot picture would be the database's own file, 4 when it could not
/// be written completely (the reason is shown in a message box and on
/// standard error). Needs a QApplication.
int RunWindow(const HostOptions& options);

}  // namespace morvane::host
