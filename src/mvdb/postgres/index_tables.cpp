#include "mvdb/postgres/index_tables.h"

namespace mvdb::postgres {
namespace {

std::vector<Param> ParamsOf(const std::vector<SelectionParameter>& params) {
  std::vector<Param> out;
  out.reserve(params.size());
  for (const auto& param : params) out.push_back(param.isNumber ? Float8(param.number) : Bytes(param.text));
  return out;
}

std::vector<std::string_view> Views(const std::vector<std::string>& texts) {
  return std::vector<std::string_view>(texts.begin(), texts.end());
}

}  // namespace

std::vector<IndexEntry> PostgresIndexTables::List() {
  std::vector<IndexEntry> entries;
  if (!catalogueExists_) {  // reading creates nothing: no catalogue before the first index
    const Result exists = db_.Run("SELECT to_regclass('mvq_index_catalogue') IS NOT NULL", {}, true);
    catalogueExists_ = exists.Int(0, 0) != 0;
    if (!catalogueExists_) return entries;
  }
  const Result list = db_.Run("SELECT id, file, source, field FROM mvq_index_catalogue ORDER BY id", {}, true);
  for (int row = 0; row < list.Rows(); ++row)
    entries.push_back(IndexEntry{list.Int(row, 0), std::string(list.Bytes(row, 1)), std::string(list.Bytes(row, 2)),
                                 std::string(list.Bytes(row, 3))});
  return entries;
}

long long PostgresIndexTables::Register(const std::string& file, const std::string& source, const std::string& field) {
  db_.Exec(
      "CREATE TABLE IF NOT EXISTS mvq_index_catalogue(id bigserial PRIMARY KEY, file bytea NOT NULL, "
      "source text NOT NULL, field bytea NOT NULL, UNIQUE(file, source))");
  const Result id = db_.Run(
      "WITH added AS (INSERT INTO mvq_index_catalogue(file, source, field) VALUES ($1, $2, $3) "
      "ON CONFLICT (file, source) DO NOTHING RETURNING id) "
      "SELECT id FROM added UNION ALL SELECT id FROM mvq_index_catalogue WHERE file = $1 AND source = $2",
      {Bytes(file), Text(source), Bytes(field)});
  return id.Int(0, 0);
}

void PostgresIndexTables::Recreate(long long id) {
  const std::string table = IndexTableName(id);
  db_.Exec("DROP TABLE IF EXISTS " + table + "; CREATE TABLE " + table +
           "(key bytea NOT NULL, value bytea NOT NULL, num double precision)");
}

void PostgresIndexTables::Finish(long long id) {
  // Covering indexes: candidate keys and counts come from the index alone
  // once the table is analysed.
  const std::string table = IndexTableName(id);
  db_.Exec("CREATE INDEX " + table + "_value ON " + table + "(value, key); CREATE INDEX " + table + "_num ON " +
           table + "(num, key) WHERE num IS NOT NULL; CREATE INDEX " + table + "_text ON " + table +
           "(value, key) WHERE num IS NULL; CREATE INDEX " + table + "_key ON " + table + "(key); ANALYZE " + table);
}

void PostgresIndexTables::Insert(long long id, const IndexRows& rows) {
  db_.Run("INSERT INTO " + IndexTableName(id) + "(key, value, num) SELECT * FROM unnest($1, $2, $3)",
          {ByteaArray(Views(rows.keys)), ByteaArray(Views(rows.values)), Float8Array(rows.numbers)}, true);
}

void PostgresIndexTables::Remove(long long id, const std::vector<std::string>& keys) {
  db_.Run("DELETE FROM " + IndexTableName(id) + " WHERE key = ANY($1)", {ByteaArray(Views(keys))}, true);
}

void PostgresIndexTables::SelectColumn(const std::string& sql, const std::vector<SelectionParameter>& params,
                                       const std::function<bool(std::string_view)>& fn) {
  const Result rows = db_.Run(sql, ParamsOf(params), true);
  for (int row = 0; row < rows.Rows(); ++row) {
    if (!fn(rows.Bytes(row, 0))) return;
  }
}

// Two snapshots with the same bounds and the same transactions in progress
// see the same committed data.
std::optional<std::string> PostgresIndexTables::OthersVersion() {
  const Result snapshot = db_.Run("SELECT pg_current_snapshot()::text", {}, true);
  std::string version;
  version.append(snapshot.Bytes(0, 0));
  return version;
}

std::size_t PostgresIndexTables::SelectCount(const std::string& sql, const std::vector<SelectionParameter>& params) {
  return static_cast<std::size_t>(db_.Run(sql, ParamsOf(params), true).Int(0, 0));
}

}  // namespace mvdb::postgres
