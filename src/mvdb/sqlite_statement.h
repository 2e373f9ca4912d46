// Small RAII helpers over the SQLite C API. Internal to the engine.
#pragma once

#include <sqlite3.h>

#include <optional>
#include <string>
#include <string_view>

#include "mvdb/errors.h"

namespace mvdb::sql {

/// Throws DbError kIo with SQLite's message for the connection.
[[noreturn]] inline void Fail(sqlite3* db, const std::string& what) {
  throw DbError(ErrorCode::kIo, what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

/// Runs statements without results. Throws kIo.
inline void Exec(sqlite3* db, const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message ? message : "unknown error";
    sqlite3_free(message);
    throw DbError(ErrorCode::kIo, "SQLite failed on \"" + sql + "\": " + text);
  }
}

/// A prepared statement, finalized on destruction. Non-owning statements
/// (from a cache) are reset and unbound on destruction instead.
class Statement {
 public:
  /// Prepares sql; throws kIo.
  Statement(sqlite3* db, const std::string& sql) : db_(db), owned_(true) {
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK)
      Fail(db, "cannot prepare \"" + sql + "\"");
  }
  /// Borrows a cached statement.
  Statement(sqlite3* db, sqlite3_stmt* cached) : db_(db), stmt_(cached), owned_(false) {}
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement() {
    if (owned_) {
      sqlite3_finalize(stmt_);
    } else {
      sqlite3_reset(stmt_);
      sqlite3_clear_bindings(stmt_);
    }
  }

  void BindText(int index, std::string_view text) {
    Check(sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
  }
  void BindBlob(int index, std::string_view bytes) {
    Check(sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT));
  }
  /// Advances; true when a row is available, false when done. Throws kIo.
  bool Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Fail(db_, "SQLite step failed");
  }
  /// Column as bytes (text or blob).
  std::string Column(int index) const {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, index));
    const int size = sqlite3_column_bytes(stmt_, index);
    return data ? std::string(data, static_cast<std::size_t>(size)) : std::string();
  }
  long long ColumnInt(int index) const { return sqlite3_column_int64(stmt_, index); }

 private:
  void Check(int rc) {
    if (rc != SQLITE_OK) Fail(db_, "SQLite bind failed");
  }
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  bool owned_;
};

}  // namespace mvdb::sql
