// Rights: the signed-in user's rights, read from the database file DROITS.
//
// DROITS record, key = user name:
//   1  multi: file names
//   2  multi, parallel to 1: access level on that file (2 may print)
//   3  multi: sector codes the user may see; empty = every sector
//   4  display name
#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include <cstdint>

namespace mvdb { class Database; }

namespace morvane::services {

/// The user's rights on one file.
class DroitsFichier {
 public:
  virtual ~DroitsFichier() = default;
  /// Access level on the file; 0 when the user has none.
  virtual std::int32_t NiveauAcces() const = 0;
  /// True when the user may see carers of that sector; false or nullopt (Null,
  /// counted as false by callers) otherwise. `lookUp` is true in the form's
  /// sector look-up and false while printing; both answer alike here.
  virtual std::optional<bool> SecteurAutorise(const QString& sectorCode, bool lookUp) const = 0;
};

/// The signed-in user's rights object.
class Droits {
 public:
  virtual ~Droits() = default;
  /// Rights on that file (never null; a file not listed gives level 0).
  virtual std::shared_ptr<::morvane::services::DroitsFichier> DroitsFichier(const QString& fileName) const = 0;
  virtual QString Utilisateur() const = 0;
};

/// Reads the user's DROITS record. Throws mvdb::DbError kRecordNotFound when the
/// user is unknown, or the storage error.
std::shared_ptr<Droits> LoadDroits(mvdb::Database& db, const QString& user);

/// Rights built in memory (tests, tools): one level for every file, and the
/// allowed sectors (empty = all).
std::shared_ptr<Droits> MakeDroits(const QString& user, int level, const std::vector<QString>& sectors = {});

}  // namespace morvane::services
