#include "mvdb/index_tables.h"

namespace mvdb {

void IndexRows::clear() {
  keys.clear();
  values.clear();
  numbers.clear();
}

std::string IndexTableName(long long id) { return "mvq_idx_" + std::to_string(id); }

namespace {

using Placeholder = std::function<std::string(std::size_t)>;

// "SELECT key FROM <table> WHERE ... UNION ALL ...": the keys of the rows the
// selection holds for, in the SQL both storages understand. `column` is what
// each row gives: "key", or "1" where the rows are only counted.
std::string SelectionSql(const std::string& table, const IndexSelection& selection, const Placeholder& placeholder,
                         std::vector<SelectionParameter>& params, const char* column = "key") {
  std::string sql;
  for (const auto& term : selection.terms) {
    if (!sql.empty()) sql += " UNION ALL ";
    sql += std::string("SELECT ") + column + " FROM " + table + " WHERE ";
    switch (term.rows) {
      case IndexSelection::Term::Rows::kAll: sql += "TRUE"; break;
      case IndexSelection::Term::Rows::kNumbers: sql += "num IS NOT NULL"; break;
      case IndexSelection::Term::Rows::kTexts: sql += "num IS NULL"; break;
    }
    for (const auto& test : term.tests) {
      sql += " AND ";
      if (test.always) {
        sql += *test.always ? "TRUE" : "FALSE";
        continue;
      }
      if (test.onNumber) {
        params.push_back({true, {}, test.number});
      } else {
        params.push_back({false, test.text, 0});
      }
      sql += std::string(test.onNumber ? "num " : "value ") + test.op + " " + placeholder(params.size());
    }
  }
  return sql;
}

}  // namespace

std::size_t IndexTables::Count(long long id) { return SelectCount("SELECT count(*) FROM " + IndexTableName(id), {}); }

std::size_t IndexTables::Keys(long long id, const IndexSelection& selection, std::vector<std::string>& out,
                              std::size_t limit) {
  std::vector<SelectionParameter> params;
  std::string sql = SelectionSql(IndexTableName(id), selection, [this](std::size_t n) { return Placeholder(n); },
                                 params);
  if (limit != static_cast<std::size_t>(-1)) sql = "SELECT key FROM (" + sql + ") AS k LIMIT " + std::to_string(limit);
  std::size_t n = 0;
  SelectColumn(sql, params, [&](std::string_view key) {
    out.emplace_back(key);
    return ++n < limit;
  });
  return n;
}

std::size_t IndexTables::CountUpTo(long long id, const IndexSelection& selection, std::size_t cap) {
  std::vector<SelectionParameter> params;
  const std::string sql = SelectionSql(IndexTableName(id), selection,
                                       [this](std::size_t n) { return Placeholder(n); }, params, "1");
  return SelectCount("SELECT count(*) FROM (" + sql + " LIMIT " + std::to_string(cap) + ") AS k", params);
}

}  // namespace mvdb
