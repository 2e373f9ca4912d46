// After an output that wrote files, the host tells the user where they are
// and offers to open one of them, or their folder, in the desktop's own
// application.
#pragma once

#include <QStringList>
#include <QUrl>
#include <functional>

class QWidget;

namespace morvane::host {

/// Opens a file or a folder in the desktop's default application; false when
/// none takes it. The window uses QDesktopServices::openUrl.
using UrlOpener = std::function<bool(const QUrl&)>;

/// Shows, modal to `parent`, the full path of each of `files` and buttons
/// "Ouvrir le fichier" (one per file, named after it when there are
/// several), "Ouvrir le dossier" (the first file's) and "Fermer"; runs `open`
/// on the one chosen and says so when it failed. Nothing for no file.
void OfferToOpen(const QStringList& files, QWidget* parent, const UrlOpener& open);

}  // namespace morvane::host
