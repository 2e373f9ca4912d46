#include "mvdb/sqlite/statement.h"

namespace mvdb::sql {

void Fail(sqlite3* db, const std::string& what) {
  if (!db) throw DbError(ErrorCode::kIo, what + ": out of memory");
  const char* name = sqlite3_db_filename(db, "main");
  const std::string database = name && *name ? name : "the database";
  const std::string message = sqlite3_errmsg(db);
  switch (sqlite3_extended_errcode(db) & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      throw DbError(ErrorCode::kIo,
                    "another write is in progress on " + database + "; try again once it has ended");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      throw DbError(ErrorCode::kIo, "database " + database + " is damaged: " + message);
    case SQLITE_READONLY:
      throw DbError(ErrorCode::kIo, "database " + database + " cannot be written: " + message);
    default:
      throw DbError(ErrorCode::kIo, what + ": " + message);
  }
}

void Exec(sqlite3* db, const std::string& sql) {
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(db, "SQLite failed on \"" + sql + "\"");
}

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK)
    Fail(db, "cannot prepare \"" + std::string(sql) + "\"");
}

Statement::~Statement() {
  if (owned_) {
    sqlite3_finalize(stmt_);
  } else {
    Reset();
  }
}

void Statement::BindText(int i, std::string_view text) {
  // An empty view may have no data pointer, which SQLite would bind as NULL.
  Check(sqlite3_bind_text(stmt_, i, text.empty() ? "" : text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
}

void Statement::BindBlob(int i, std::string_view bytes) {
  Check(sqlite3_bind_blob(stmt_, i, bytes.empty() ? "" : bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT));
}

void Statement::BindDouble(int i, double value) { Check(sqlite3_bind_double(stmt_, i, value)); }

void Statement::BindNull(int i) { Check(sqlite3_bind_null(stmt_, i)); }

bool Statement::Step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  Fail(db_, "SQLite failed on \"" + std::string(sqlite3_sql(stmt_)) + "\"");
}

void Statement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

std::string_view Statement::ColumnText(int i) const {
  // One look-up of the column, then its bytes and size from the value itself:
  // half the calls into SQLite of sqlite3_column_blob and _bytes, which a scan
  // pays twice a record. The connection is used by one thread at a time, so
  // reading the value directly is safe.
  sqlite3_value* value = sqlite3_column_value(stmt_, i);
  const auto* data = static_cast<const char*>(sqlite3_value_blob(value));
  const int size = sqlite3_value_bytes(value);
  return data ? std::string_view(data, static_cast<std::size_t>(size)) : std::string_view();
}

sqlite3_stmt* StatementCache::Get(sqlite3* db, const std::string& sql) {
  auto it = statements_.find(sql);
  if (it != statements_.end()) return it->second;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK)
    Fail(db, "cannot prepare \"" + sql + "\"");
  statements_.emplace(sql, stmt);
  return stmt;
}

void StatementCache::Forget(std::string_view part) {
  std::erase_if(statements_, [&](const auto& entry) {
    if (entry.first.find(part) == std::string::npos) return false;
    sqlite3_finalize(entry.second);
    return true;
  });
}

void StatementCache::Clear() {
  for (auto& [text, stmt] : statements_) sqlite3_finalize(stmt);
  statements_.clear();
}

}  // namespace mvdb::sql
