#include "mvdb/query/engine.h"

#include <algorithm>

#include "mvdb/query/dictionary.h"
#include "mvdb/query/evaluator.h"
#include "mvdb/query/field_reader.h"
#include "mvdb/query/index_store.h"
#include "mvdb/query/parser.h"
#include "mvdb/query/resolver.h"

namespace mvdb {

struct QueryEngine::Impl {
  explicit Impl(Storage& s) : storage(s), indexes(s) {}

  std::vector<query::SelectedRecord> Run(const std::string& queryText, const std::string& fileName,
                                         bool useIndexes) {
    const query::Query parsed = query::Parse(queryText);
    if (!fileName.empty() && fileName != parsed.file) {
      throw DbError(ErrorCode::kQuerySyntax, "position " + std::to_string(parsed.filePosition) +
                                                 ": the query selects from " + parsed.file +
                                                 " but the request names the file " + fileName);
    }
    const query::Plan plan = query::Resolve(storage, parsed);
    query::Evaluator evaluator(storage, indexes, useIndexes);
    auto records = evaluator.Run(plan);
    lastAccess = evaluator.LastStats().access;
    return records;
  }

  Storage& storage;
  query::IndexStore indexes;
  std::string lastAccess;
};

QueryEngine::QueryEngine(Storage& storage) : impl_(std::make_unique<Impl>(storage)) {}
QueryEngine::~QueryEngine() = default;

namespace {

// Row of the result list: the listed attributes of a record, the values of
// each lowered to sub-values. `attributes` holds the record's attributes
// 1..n as views (split once per record), n the highest listed.
std::string ResultRow(const query::SelectedRecord& record, const std::vector<int>& columns,
                      std::vector<std::string_view>& attributes) {
  const auto highest = static_cast<std::size_t>(*std::max_element(columns.begin(), columns.end()));
  attributes.clear();
  const std::string_view text = record.text;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size() && attributes.size() + 1 < highest; ++i) {
    if (text[i] == kAttributeMark) {  // a byte loop: records are short, a call per attribute costs more
      attributes.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  if (highest > 0) attributes.push_back(text.substr(start, text.find(kAttributeMark, start) - start));
  std::size_t size = columns.size();
  for (int column : columns) {
    if (column == 0) size += record.key.size();
    else if (static_cast<std::size_t>(column) <= attributes.size()) size += attributes[column - 1].size();
  }
  std::string row;
  row.reserve(size);
  for (std::size_t j = 0; j < columns.size(); ++j) {
    if (j > 0) row += kValueMark;
    if (columns[j] == 0) {
      row += record.key;
    } else if (static_cast<std::size_t>(columns[j]) <= attributes.size()) {
      const std::size_t start = row.size();
      row += attributes[static_cast<std::size_t>(columns[j]) - 1];
      std::replace(row.begin() + static_cast<std::ptrdiff_t>(start), row.end(), kValueMark, kSubValueMark);
    }
  }
  return row;
}

}  // namespace

DynArray QueryEngine::Select(const std::string& queryText, const std::string& fileName,
                             const std::vector<int>& attributes, long& count) {
  count = 0;
  const auto records = impl_->Run(queryText, fileName, true);
  const std::vector<int> columns = attributes.empty() ? std::vector<int>{0} : attributes;
  std::vector<std::string> rows;
  rows.reserve(records.size());
  std::vector<std::string_view> split;
  for (const auto& record : records) rows.push_back(ResultRow(record, columns, split));
  count = static_cast<long>(records.size());
  return DynArray::FromAttributes(std::move(rows));
}

std::vector<std::string> QueryEngine::SelectKeys(const std::string& queryText, bool useIndexes) {
  auto records = impl_->Run(queryText, "", useIndexes);
  std::vector<std::string> keys;
  keys.reserve(records.size());
  for (auto& record : records) keys.push_back(std::move(record.key));
  return keys;
}

void QueryEngine::CreateIndex(const std::string& file, const std::string& field) {
  Storage& storage = impl_->storage;
  if (!storage.HasFile(file)) throw DbError(ErrorCode::kFileNotFound, "file " + file + " does not exist");
  const query::FieldDef def = query::ResolveField(storage, file, query::FieldRef{field, 0});
  impl_->indexes.Build(file, def);
  const std::string dict = query::DictionaryFileName(file);
  if (def.indexFlag || !storage.HasFile(dict)) return;
  if (auto entry = storage.Get(dict, field)) {
    DynArray record(*entry);
    record.SetItem(6, "1");
    storage.Put(dict, field, record.Text());
  }
}

std::vector<std::pair<std::string, std::string>> QueryEngine::IndexedFields() const { return impl_->indexes.List(); }

const std::string& QueryEngine::LastAccessPath() const { return impl_->lastAccess; }

}  // namespace mvdb
