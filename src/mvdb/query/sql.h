// A small RAII wrapper of SQLite prepared statements for the query engine's
// own tables (the index tables and their catalogue).
#pragma once

#include <sqlite3.h>

#include <optional>
#include <string>
#include <string_view>

namespace mvdb::query {

/// One prepared statement; finalized on destruction. Errors throw DbError kIo
/// naming the SQL and SQLite's message.
class Statement {
 public:
  Statement(sqlite3* db, std::string_view sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  /// Binds parameter i (1-based).
  void BindText(int i, std::string_view text);
  void BindBlob(int i, std::string_view bytes);
  void BindDouble(int i, double value);
  void BindInt(int i, long long value);
  void BindNull(int i);
  /// Steps: true while a row is available, false when done.
  bool Step();
  /// Resets for the next execution and clears bindings.
  void Reset();
  /// Column i (0-based) of the current row.
  std::string_view ColumnText(int i) const;
  long long ColumnInt(int i) const;

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

/// Holds one read transaction for its lifetime, so that the many reads of one
/// query take the database's locks once instead of once per statement. Does
/// nothing when a transaction is already open on the connection.
class ReadTransaction {
 public:
  explicit ReadTransaction(sqlite3* db);
  ~ReadTransaction();
  ReadTransaction(const ReadTransaction&) = delete;
  ReadTransaction& operator=(const ReadTransaction&) = delete;

 private:
  sqlite3* db_;
  bool owned_ = false;
};

/// Runs SQL without results (several statements allowed). Throws DbError kIo.
void Execute(sqlite3* db, const std::string& sql);

}  // namespace mvdb::query
