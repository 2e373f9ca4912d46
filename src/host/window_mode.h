// The window mode of `morvane`: the control in a host window.
#pragma once

#include "host/file_notice.h"
#include "host/host_options.h"

namespace morvane::host {

/// Opens the database, signs the user in, shows the control in its host
/// window, hands it the three objects and calls INIT, then runs the event
/// loop. When the control unloads the window at the end of a request, the
/// files the output wrote are announced (opened with `open`, by default
/// QDesktopServices::openUrl) and a fresh control takes its place, INIT run
/// again; "Sortir" or closing the window ends. Returns the exit status: 0
/// after a normal close, 1 when the database, the user or an INIT failed, 2
/// when the --screenshot picture would be the database's own file, 4 when it
/// could not be written completely (the reason is shown in a message box and
/// on standard error). Needs a QApplication.
int RunWindow(const HostOptions& options, UrlOpener open = {});

}  // namespace morvane::host
