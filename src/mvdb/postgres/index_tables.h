// The query engine's index tables in the database's schema on a PostgreSQL
// server (see mvdb/index_tables.h for the tables; keys and values are bytea,
// so they compare byte by byte). Internal to the PostgreSQL backend.
#pragma once

#include "mvdb/index_tables.h"
#include "mvdb/postgres/connection.h"

namespace mvdb::postgres {

class PostgresIndexTables final : public IndexTables {
 public:
  /// The connection is not owned.
  explicit PostgresIndexTables(Connection& connection) : db_(connection) {}

  std::vector<IndexEntry> List() override;
  long long Register(const std::string& file, const std::string& source, const std::string& field) override;
  void Recreate(long long id) override;
  void Finish(long long id) override;
  void Insert(long long id, const IndexRows& rows) override;
  void Remove(long long id, const std::vector<std::string>& keys) override;
  std::optional<std::string> OthersVersion() override;

 protected:
  std::string Placeholder(std::size_t n) const override {
    std::string placeholder(1, '$');
    placeholder += std::to_string(n);
    return placeholder;
  }
  void SelectColumn(const std::string& sql, const std::vector<SelectionParameter>& params,
                    const std::function<bool(std::string_view)>& fn) override;
  std::size_t SelectCount(const std::string& sql, const std::vector<SelectionParameter>& params) override;

 private:
  Connection& db_;
  bool catalogueExists_ = false;
};

}  // namespace mvdb::postgres
