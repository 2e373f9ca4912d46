// The query engine's index tables in a SQLite database file (see
// mvdb/index_tables.h for the tables). Internal to the SQLite backend.
#pragma once

#include <sqlite3.h>

#include "mvdb/index_tables.h"
#include "mvdb/sqlite/statement.h"

namespace mvdb::sqlite {

class SqliteIndexTables final : public IndexTables {
 public:
  /// Neither the connection nor the cache is owned.
  SqliteIndexTables(sqlite3* db, sql::StatementCache& statements) : db_(db), statements_(statements) {}

  std::vector<IndexEntry> List() override;
  long long Register(const std::string& file, const std::string& source, const std::string& field) override;
  void Recreate(long long id) override;
  void Finish(long long id) override;
  void Insert(long long id, const IndexRows& rows) override;
  void Remove(long long id, const std::vector<std::string>& keys) override;
  std::optional<std::string> OthersVersion() override;

 protected:
  std::string Placeholder(std::size_t) const override { return "?"; }
  void SelectColumn(const std::string& sql, const std::vector<SelectionParameter>& params,
                    const std::function<bool(std::string_view)>& fn) override;
  std::size_t SelectCount(const std::string& sql, const std::vector<SelectionParameter>& params) override;

 private:
  sqlite3* db_;
  sql::StatementCache& statements_;
};

}  // namespace mvdb::sqlite
