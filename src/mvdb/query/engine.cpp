// Placeholder until the query engine lands: every call reports that queries are
// not available yet.
#include "mvdb/query/engine.h"

namespace mvdb {

struct QueryEngine::Impl {};

QueryEngine::QueryEngine(Storage&) : impl_(std::make_unique<Impl>()) {}
QueryEngine::~QueryEngine() = default;

DynArray QueryEngine::Select(const std::string&, const std::string&, const std::vector<int>&, long& count) {
  count = 0;
  throw DbError(ErrorCode::kQuerySyntax, "queries are not available yet");
}

std::vector<std::string> QueryEngine::SelectKeys(const std::string&) {
  throw DbError(ErrorCode::kQuerySyntax, "queries are not available yet");
}

void QueryEngine::CreateIndex(const std::string&, const std::string& field) {
  throw DbError(ErrorCode::kUnknownField, "indexes are not available yet: " + field);
}

}  // namespace mvdb
