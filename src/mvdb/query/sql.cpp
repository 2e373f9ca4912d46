#include "mvdb/query/sql.h"

#include "mvdb/errors.h"

namespace mvdb::query {
namespace {

[[noreturn]] void Fail(sqlite3* db, std::string_view what) {
  throw DbError(ErrorCode::kIo, "query engine storage: " + std::string(what) + ": " + sqlite3_errmsg(db));
}

}  // namespace

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK) {
    Fail(db, sql);
  }
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

void Statement::BindText(int i, std::string_view text) {
  // An empty view may have no data pointer, which SQLite would bind as NULL.
  if (sqlite3_bind_text(stmt_, i, text.empty() ? "" : text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) != SQLITE_OK) {
    Fail(db_, "bind");
  }
}

void Statement::BindBlob(int i, std::string_view bytes) {
  if (sqlite3_bind_blob(stmt_, i, bytes.empty() ? "" : bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT) != SQLITE_OK) {
    Fail(db_, "bind");
  }
}

void Statement::BindDouble(int i, double value) {
  if (sqlite3_bind_double(stmt_, i, value) != SQLITE_OK) Fail(db_, "bind");
}

void Statement::BindInt(int i, long long value) {
  if (sqlite3_bind_int64(stmt_, i, value) != SQLITE_OK) Fail(db_, "bind");
}

void Statement::BindNull(int i) {
  if (sqlite3_bind_null(stmt_, i) != SQLITE_OK) Fail(db_, "bind");
}

bool Statement::Step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  Fail(db_, sqlite3_sql(stmt_));
}

void Statement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

std::string_view Statement::ColumnText(int i) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
  return text ? std::string_view(text, sqlite3_column_bytes(stmt_, i)) : std::string_view();
}

long long Statement::ColumnInt(int i) const { return sqlite3_column_int64(stmt_, i); }

ReadTransaction::ReadTransaction(sqlite3* db) : db_(db) {
  if (sqlite3_get_autocommit(db) != 0) {
    Execute(db, "BEGIN");
    owned_ = true;
  }
}

ReadTransaction::~ReadTransaction() {
  // Only reads happened: ending the transaction cannot lose anything.
  if (owned_ && sqlite3_get_autocommit(db_) == 0) sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
}

void Execute(sqlite3* db, const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message ? message : "unknown error";
    sqlite3_free(message);
    throw DbError(ErrorCode::kIo, "query engine storage: " + sql + ": " + text);
  }
}

}  // namespace mvdb::query
