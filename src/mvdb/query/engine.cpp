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

  std::vector<std::string> Run(const std::string& queryText, const std::string& fileName,
                                         bool useIndexes, const std::vector<int>& columns = {}) {
    const query::Query parsed = query::Parse(queryText);
    if (!fileName.empty() && fileName != parsed.file) {
      throw DbError(ErrorCode::kQuerySyntax, "position " + std::to_string(parsed.filePosition) +
                                                 ": the query selects from " + parsed.file +
                                                 " but the request names the file " + fileName);
    }
    const query::Plan plan = query::Resolve(storage, parsed);
    query::Evaluator evaluator(storage, indexes, useIndexes);
    auto records = evaluator.Run(plan, columns);
    lastAccess = evaluator.LastStats().access;
    return records;
  }

  Storage& storage;
  query::IndexStore indexes;
  std::string lastAccess;
};

QueryEngine::QueryEngine(Storage& storage) : impl_(std::make_unique<Impl>(storage)) {}
QueryEngine::~QueryEngine() = default;

DynArray QueryEngine::Select(const std::string& queryText, const std::string& fileName,
                             const std::vector<int>& attributes, long& count) {
  count = 0;
  const std::vector<int> columns = attributes.empty() ? std::vector<int>{0} : attributes;
  auto rows = impl_->Run(queryText, fileName, true, columns);
  count = static_cast<long>(rows.size());
  return DynArray::FromAttributes(std::move(rows));
}

std::vector<std::string> QueryEngine::SelectKeys(const std::string& queryText, bool useIndexes) {
  return impl_->Run(queryText, "", useIndexes);  // rows of no column: the keys
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
