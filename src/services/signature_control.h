// Ctr_Dorsany: finds the signature picture of a legal entity for a letter type.
//
// The pictures are kept in the directory-type file SIGNATURES of the database,
// that is its folder "<directory root>/SIGNATURES/" (by default
// "<database file>.d/SIGNATURES/"): one PNG picture per
// letter type and legal entity, named "<TYPE>_<ENTITY>.png"
// ("LETTREINFOCP_010.png"). An operator adds or replaces a signature by
// copying the picture into that folder. The records are pictures, not text:
// they are not meant to be read with DBRead or exported.
#pragma once

#include <QString>
#include <filesystem>

#include "services/sibling_controls.h"

namespace morvane::services {

/// The directory-type file that holds the signature pictures.
inline constexpr const char* kFichierSignatures = "SIGNATURES";

/// The folder of a directory-type file of `db`: "<directory root>/<FILE>";
/// empty when the database keeps no folder for directory files.
std::filesystem::path DossierFichierRepertoire(const mvdb::Database& db, const std::string& fichier);

/// The real signature control of the desktop environment.
class SignatureFinder : public SignatureControl {
 public:
  /// The database whose SIGNATURES file is searched (not owned).
  void SetBase(mvdb::Database* db) override { db_ = db; }
  /// Kept for the interface; the pictures do not depend on the client.
  void SetClient(const mvdb::Client* client) override { client_ = client; }
  /// The absolute path of "<letterType>_<entity>.png" in SIGNATURES, or "" when
  /// no database was set, the database has no SIGNATURES file, the picture is
  /// missing, or the type or entity is empty or could leave the folder ('/',
  /// '\\', ".."). `unused` is ignored. Throws nothing.
  QString CheminSignature(const QString& letterType, const QString& unused, const QString& entity) override;

 private:
  mvdb::Database* db_ = nullptr;
  const mvdb::Client* client_ = nullptr;
};

}  // namespace morvane::services
