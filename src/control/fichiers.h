// The database files an output or the selection reads, handed to them as a
// value: copies of open handles (a copy shares the handle it was made from).
// The control hands the module's handles (Fichiers::DuModule); tests open
// their own database's files (Fichiers::De).
#pragma once

#include "mvdb/database.h"

namespace morvane::control {

struct Fichiers {
  mvdb::Database* base = nullptr;        ///< not owned
  const mvdb::Client* client = nullptr;  ///< not owned; handed on to the sibling controls
  mvdb::DbFile absences;                 ///< ABSENCESAIDANT
  mvdb::DbFile civil;                    ///< CIVILAIDANT
  mvdb::DbFile secteurs;                 ///< SECTEUR (list headers)
  mvdb::DbFile secteursExport;           ///< SECTEUR, the export's own handle
  mvdb::DbFile tables;                   ///< TABLES
  mvdb::DbFile stat;                     ///< STATAIDANT
  mvdb::DbFile sousSecteurs;             ///< SOUSSECTEUR
  mvdb::DbFile quartiers;                ///< QUARTIER
  mvdb::DbFile associations;             ///< ASSOCIATION
  mvdb::DbFile contrats;                 ///< CONTRAT
  mvdb::DbFile grilles;                  ///< GRILLESCC
  mvdb::DbFile etablissements;           ///< ETABLISSEMENT
  mvdb::DbFile conventions;              ///< CONVENTIONCOL

  /// The handles of module Variable, opened by Ouvrir_Fichiers. Throws
  /// std::logic_error when no database is open.
  static Fichiers DuModule();
  /// Opens these files of `base` (every one must exist: DbError
  /// kFileNotFound otherwise).
  static Fichiers De(mvdb::Database& base, const mvdb::Client* client = nullptr);
};

}  // namespace morvane::control
