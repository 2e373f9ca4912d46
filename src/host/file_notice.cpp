#include "host/file_notice.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

namespace morvane::host {

void OfferToOpen(const QStringList& files, QWidget* parent, const UrlOpener& open) {
  if (files.isEmpty()) return;
  QMessageBox box(QMessageBox::Information, QStringLiteral("Fichiers écrits"), {}, QMessageBox::NoButton, parent);
  box.setObjectName(QStringLiteral("FileNotice"));
  box.setText(files.size() == 1 ? QStringLiteral("Le fichier a été écrit :\n") + files.front()
                                : QStringLiteral("Les fichiers ont été écrits :\n") + files.join(QLatin1Char('\n')));
  // Each button opens one place.
  std::vector<std::pair<QAbstractButton*, QString>> places;
  for (const QString& file : files) {
    const QString caption = files.size() == 1
                                ? QStringLiteral("Ouvrir le fichier")
                                : QStringLiteral("Ouvrir « %1 »").arg(QFileInfo(file).fileName());
    places.emplace_back(box.addButton(caption, QMessageBox::ActionRole), file);
  }
  places.emplace_back(box.addButton(QStringLiteral("Ouvrir le dossier"), QMessageBox::ActionRole),
                      QFileInfo(files.front()).absolutePath());
  box.setDefaultButton(box.addButton(QStringLiteral("Fermer"), QMessageBox::RejectRole));
  box.exec();
  for (const auto& [button, place] : places) {
    if (box.clickedButton() != button) continue;
    if (!open(QUrl::fromLocalFile(place))) {
      QMessageBox::warning(parent, box.windowTitle(),
                           QStringLiteral("« %1 » n'a pas pu être ouvert : aucune application ne l'a pris.").arg(place));
    }
  }
}

}  // namespace morvane::host
