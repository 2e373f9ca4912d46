#include "mvdb/sqlite/index_tables.h"

namespace mvdb::sqlite {
namespace {

void BindAll(sql::Statement& statement, const std::vector<SelectionParameter>& params) {
  for (std::size_t i = 0; i < params.size(); ++i) {
    const int at = static_cast<int>(i) + 1;
    if (params[i].isNumber) {
      statement.BindDouble(at, params[i].number);
    } else {
      statement.BindText(at, params[i].text);
    }
  }
}

}  // namespace

std::vector<IndexEntry> SqliteIndexTables::List() {
  std::vector<IndexEntry> entries;
  sql::Statement exists(db_, "SELECT 1 FROM sqlite_master WHERE type='table' AND name='mvq_index_catalogue'");
  if (!exists.Step()) return entries;  // no index yet: reading creates nothing
  sql::Statement list(db_, "SELECT id, file, source, field FROM mvq_index_catalogue ORDER BY id");
  while (list.Step()) entries.push_back(IndexEntry{list.ColumnInt(0), list.Column(1), list.Column(2), list.Column(3)});
  return entries;
}

long long SqliteIndexTables::Register(const std::string& file, const std::string& source, const std::string& field) {
  sql::Exec(db_,
            "CREATE TABLE IF NOT EXISTS mvq_index_catalogue(id INTEGER PRIMARY KEY, file TEXT NOT NULL, "
            "source TEXT NOT NULL, field TEXT NOT NULL, UNIQUE(file, source))");
  sql::Statement add(db_, "INSERT OR IGNORE INTO mvq_index_catalogue(file, source, field) VALUES (?, ?, ?)");
  add.BindText(1, file);
  add.BindText(2, source);
  add.BindText(3, field);
  add.Step();
  sql::Statement id(db_, "SELECT id FROM mvq_index_catalogue WHERE file = ? AND source = ?");
  id.BindText(1, file);
  id.BindText(2, source);
  id.Step();
  return id.ColumnInt(0);
}

void SqliteIndexTables::Recreate(long long id) {
  const std::string table = IndexTableName(id);
  statements_.Forget(table);  // statements on a table must be finalized before it is dropped
  sql::Exec(db_, "DROP TABLE IF EXISTS " + table + "; CREATE TABLE " + table +
                     "(key TEXT NOT NULL, value TEXT NOT NULL, num REAL)");
}

void SqliteIndexTables::Finish(long long id) {
  // Covering indexes: candidate keys and counts come from the index alone.
  const std::string table = IndexTableName(id);
  sql::Exec(db_, "CREATE INDEX " + table + "_value ON " + table + "(value, key); CREATE INDEX " + table +
                     "_num ON " + table + "(num, key) WHERE num IS NOT NULL; CREATE INDEX " + table + "_text ON " +
                     table + "(value, key) WHERE num IS NULL; CREATE INDEX " + table + "_key ON " + table + "(key)");
}

void SqliteIndexTables::Insert(long long id, const IndexRows& rows) {
  sql::Statement insert(
      db_, statements_.Get(db_, "INSERT INTO " + IndexTableName(id) + "(key, value, num) VALUES (?, ?, ?)"));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    insert.BindText(1, rows.keys[i]);
    insert.BindText(2, rows.values[i]);
    if (rows.numbers[i]) {
      insert.BindDouble(3, *rows.numbers[i]);
    } else {
      insert.BindNull(3);
    }
    insert.Step();
    insert.Reset();
  }
}

void SqliteIndexTables::Remove(long long id, const std::vector<std::string>& keys) {
  sql::Statement remove(db_, statements_.Get(db_, "DELETE FROM " + IndexTableName(id) + " WHERE key = ?"));
  for (const std::string& key : keys) {
    remove.BindText(1, key);
    remove.Step();
    remove.Reset();
  }
}

void SqliteIndexTables::SelectColumn(const std::string& sql, const std::vector<SelectionParameter>& params,
                                     const std::function<bool(std::string_view)>& fn) {
  sql::Statement select(db_, sql);
  BindAll(select, params);
  while (select.Step()) {
    if (!fn(select.ColumnText(0))) return;
  }
}

// The pragma reads the version of the snapshot (it starts the read
// transaction when none is open yet); another connection's commit changes it.
std::optional<std::string> SqliteIndexTables::OthersVersion() {
  return std::to_string(SelectCount("PRAGMA data_version", {}));
}

std::size_t SqliteIndexTables::SelectCount(const std::string& sql, const std::vector<SelectionParameter>& params) {
  sql::Statement count(db_, sql);
  BindAll(count, params);
  count.Step();
  return static_cast<std::size_t>(count.ColumnInt(0));
}

}  // namespace mvdb::sqlite
