// Small RAII helpers over the SQLite C API, and the one place where SQLite's
// failures become DbErrors. Internal to the engine.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <unordered_map>

#include "mvdb/errors.h"

namespace mvdb::sql {

/// Throws the DbError for the connection's last failure: kIo with SQLite's own
/// message, worded for people when the cause is known (another writer holds
/// the database, the file is damaged, the database is read-only). `what` says
/// what was being done.
[[noreturn]] void Fail(sqlite3* db, const std::string& what);

/// Runs statements without results (several allowed). Throws as Fail.
void Exec(sqlite3* db, const std::string& sql);

/// A prepared statement, finalized on destruction. A borrowed statement (from
/// a cache) is reset and unbound on destruction instead.
class Statement {
 public:
  /// Prepares sql; throws as Fail.
  Statement(sqlite3* db, std::string_view sql);
  /// Borrows a cached statement.
  Statement(sqlite3* db, sqlite3_stmt* cached) : db_(db), stmt_(cached), owned_(false) {}
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement();

  /// Binds parameter i (1-based). Empty text binds as empty text, never NULL.
  void BindText(int i, std::string_view text);
  void BindBlob(int i, std::string_view bytes);
  void BindDouble(int i, double value);
  void BindNull(int i);
  /// Advances; true when a row is available, false when done. Throws as Fail.
  bool Step();
  /// Resets for the next execution and clears the bindings.
  void Reset();
  /// Column i (0-based) of the current row: bytes (text or blob), as a copy or
  /// as a view valid until the next Step or Reset.
  std::string Column(int i) const { return std::string(ColumnText(i)); }
  std::string_view ColumnText(int i) const;
  long long ColumnInt(int i) const { return sqlite3_column_int64(stmt_, i); }

 private:
  void Check(int rc) {
    if (rc != SQLITE_OK) Fail(db_, "SQLite bind failed");
  }
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  bool owned_ = true;
};

/// Prepared statements kept for the connection's lifetime, by SQL text.
class StatementCache {
 public:
  StatementCache() = default;
  StatementCache(const StatementCache&) = delete;
  StatementCache& operator=(const StatementCache&) = delete;
  ~StatementCache() { Clear(); }

  /// The statement of that text, prepared on first use; throws as Fail. Use
  /// it through a borrowing Statement, which resets it when done.
  sqlite3_stmt* Get(sqlite3* db, const std::string& sql);
  /// Finalizes the statements whose text holds `part` (before a table they
  /// read is dropped).
  void Forget(std::string_view part);
  /// Finalizes every statement (before the connection closes).
  void Clear();

 private:
  std::unordered_map<std::string, sqlite3_stmt*> statements_;
};

}  // namespace mvdb::sql
