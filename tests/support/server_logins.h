// Logins of the tests' server for the demo users. Roles belong to the whole
// cluster, shared by the suites running at the same time: each suite's login
// is the demo user's name with a suffix of its own, given that user's
// DROITS record. Passwords go in a password file libpq reads (PGPASSFILE).
#pragma once

#include <cstdlib>
#include <fstream>

#include "mvdb/database.h"
#include "mvdb/server_accounts.h"
#include "mvdb/storage.h"

namespace morvane::testing {

/// A server address signed in as `login` (a later "user=" wins).
inline std::string SignedInAs(const std::string& address, const std::string& login) {
  return address + " user=" + login;
}

/// Gives `login` the DROITS record of the demo user `like`.
inline void CopyRights(mvdb::Database& db, const std::string& like, const std::string& login) {
  const mvdb::DbFile rights = db.DBOpen("DROITS");
  mvdb::DynArray record = rights.DBNew(login);
  record.SetText(rights.DBRead(like).Text());
  record.DBWrite();
}

/// Gives the login the server signed in (the cluster's owner, in the tests)
/// the rights of the demo user `like`.
inline void GiveSessionUserRightsOf(mvdb::Database& db, const std::string& like) {
  CopyRights(db, like, db.storage().Accounts()->SessionUser());
}

/// Creates the login `name` with `password` (a reader unless `writer`), and
/// adds the line "*:*:*:<name>:<filed>" to the password file `passwords`,
/// made private and named by PGPASSFILE. Returns `name`.
inline std::string AddLogin(mvdb::Database& db, const std::string& name, const std::string& password, bool writer,
                            const std::filesystem::path& passwords, const std::string& filed) {
  db.Transaction([&] { db.storage().Accounts()->AddLogin(name, password, writer); });
  std::ofstream(passwords, std::ios::app) << "*:*:*:" << name << ":" << filed << "\n";
  std::filesystem::permissions(passwords, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  ::setenv("PGPASSFILE", passwords.c_str(), 1);
  return name;
}

}  // namespace morvane::testing
