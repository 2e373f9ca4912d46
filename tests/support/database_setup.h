// Setting up and damaging test databases: the shipped dictionaries of some
// files, and a file whose storage breaks as a failing disk would break it.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <initializer_list>
#include <sstream>

#include "mvdb/database.h"
#include "mvdb/jsonl.h"

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

/// Runs SQL on the database file of `db` through a connection of its own, as
/// a failing disk or a careless hand would change it. `{id of FILE}` in the
/// text becomes the catalogue id of that file.
inline void ChangeFileBehindTheEngine(const mvdb::Database& db, std::string sql, const std::string& file = "") {
  sqlite3* handle = nullptr;
  ASSERT_EQ(sqlite3_open_v2(db.Path().c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  if (!file.empty()) {
    sqlite3_stmt* find = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(handle, "SELECT id FROM mv_files WHERE name = ?1", -1, &find, nullptr), SQLITE_OK);
    sqlite3_bind_text(find, 1, file.c_str(), -1, SQLITE_TRANSIENT);
    ASSERT_EQ(sqlite3_step(find), SQLITE_ROW);
    const std::string id = std::to_string(sqlite3_column_int(find, 0));
    sqlite3_finalize(find);
    const std::string mark = "{id of FILE}";
    for (auto at = sql.find(mark); at != std::string::npos; at = sql.find(mark)) sql.replace(at, mark.size(), id);
  }
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
  sqlite3_free(error);
  sqlite3_close(handle);
}

/// Drops the SQLite table of a hashed file of a database file while the
/// catalogue still names the file: every later read of it fails, and not as
/// a missing record. Relies on the file's layout (catalogue mv_files, tables
/// mvf_<id>).
inline void BreakStorageOf(const mvdb::Database& db, const std::string& file) {
  ChangeFileBehindTheEngine(db, "DROP TABLE mvf_{id of FILE}", file);
}

}  // namespace morvane::testing
