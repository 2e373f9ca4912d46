// Setting up and damaging test databases: the shipped dictionaries of some
// files, and a file whose storage breaks as a failing disk would break it.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>

#include "mvdb/database.h"
#include "mvdb/jsonl.h"
#include "mvdb/storage.h"

namespace morvane::testing {

/// Imports the dictionaries ("DICT <FILE>") of these files from the project's
/// data/dictionaries.jsonl into db. Throws what the import throws.
inline void ImportDictionaries(mvdb::Database& db, std::initializer_list<std::string_view> files) {
  std::ifstream dictionaries(std::string(MORVANE_SOURCE_DIR) + "/data/dictionaries.jsonl");
  std::string line, selected;
  while (std::getline(dictionaries, line)) {
    for (std::string_view file : files) {
      if (line.find("\"DICT " + std::string(file) + "\"") != std::string::npos) selected += line + "\n";
    }
  }
  std::istringstream in(selected);
  mvdb::jsonl::Import(db, in);
}

/// Drops the SQLite table of a hashed file while the catalogue still names
/// the file: every later read of it fails, and not as a missing record.
/// Relies on the storage layout (catalogue mv_files, tables mvf_<id>).
inline void BreakStorageOf(mvdb::Database& db, const std::string& file) {
  sqlite3* handle = db.storage().Handle();
  sqlite3_stmt* find = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(handle, "SELECT id FROM mv_files WHERE name = ?1", -1, &find, nullptr), SQLITE_OK);
  sqlite3_bind_text(find, 1, file.c_str(), -1, SQLITE_TRANSIENT);
  ASSERT_EQ(sqlite3_step(find), SQLITE_ROW);
  const std::string table = "mvf_" + std::to_string(sqlite3_column_int(find, 0));
  sqlite3_finalize(find);
  ASSERT_EQ(sqlite3_exec(handle, ("DROP TABLE " + table).c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
}

}  // namespace morvane::testing
