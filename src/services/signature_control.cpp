#include "services/signature_control.h"

#include <system_error>

namespace morvane::services {
namespace {

// A name part that cannot leave the folder nor be a hidden or temporary file.
bool PartieSure(const QString& partie) {
  return !partie.isEmpty() && !partie.contains(QLatin1Char('/')) && !partie.contains(QLatin1Char('\\')) &&
         !partie.contains(QLatin1String("..")) && !partie.startsWith(QLatin1Char('.')) &&
         !partie.contains(QChar(0));
}

}  // namespace

std::filesystem::path DossierFichierRepertoire(const mvdb::Database& db, const std::string& fichier) {
  return db.DirectoryFolder(fichier);
}

QString SignatureFinder::CheminSignature(const QString& letterType, const QString& unused, const QString& entity) {
  (void)unused;
  if (db_ == nullptr || !PartieSure(letterType) || !PartieSure(entity)) return {};
  try {
    if (!db_->FileExists(kFichierSignatures)) return {};
  } catch (const std::exception&) {
    return {};
  }
  const std::filesystem::path dossier = DossierFichierRepertoire(*db_, kFichierSignatures);
  if (dossier.empty()) return {};
  const std::filesystem::path image = dossier /
                                      (letterType + QLatin1Char('_') + entity + QStringLiteral(".png")).toStdString();
  std::error_code erreur;
  if (!std::filesystem::is_regular_file(image, erreur)) return {};
  return QString::fromStdString(std::filesystem::absolute(image, erreur).string());
}

}  // namespace morvane::services
