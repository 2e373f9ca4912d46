#include "mvdb/query/resolver.h"

#include "mvdb/errors.h"
#include "mvdb/storage.h"

namespace mvdb::query {

std::string ResolvedCondition::Signature() const {
  std::string text = field.StoredSource();
  for (std::size_t i = 0; i < tests.size(); ++i) {
    if (i > 0) text += joins[i - 1] == Join::kAnd ? " AND " : " OR ";
    text += OperatorText(tests[i].op);
    text += '"';
    text += tests[i].text;
    text += tests[i].prefix ? "]\"" : "\"";
  }
  return text;
}

namespace {

FieldDef ResolveChecked(Storage& storage, const std::string& file, const FieldRef& ref) {
  FieldDef def = ResolveField(storage, file, ref);
  if (def.kind == FieldKind::kTranslation && !storage.HasFile(def.targetFile)) {
    throw DbError(ErrorCode::kFileNotFound, "position " + std::to_string(ref.position) + ": field " + ref.name +
                                                " translates through file " + def.targetFile +
                                                ", which does not exist");
  }
  return def;
}

}  // namespace

Plan Resolve(Storage& storage, const Query& query) {
  if (!storage.HasFile(query.file)) {
    throw DbError(ErrorCode::kFileNotFound, "position " + std::to_string(query.filePosition) + ": file " +
                                                query.file + " does not exist");
  }
  Plan plan;
  plan.file = query.file;
  for (const auto& group : query.groups) {
    auto& resolved = plan.groups.emplace_back();
    for (const auto& condition : group) {
      ResolvedCondition r;
      r.field = ResolveChecked(storage, query.file, condition.field);
      r.position = condition.field.position;
      for (const auto& test : condition.tests) {
        if (!r.tests.empty()) r.joins.push_back(test.join);
        r.tests.push_back(Comparison::FromTest(test));
        r.numeric = r.numeric || r.tests.back().number.has_value();
      }
      resolved.push_back(std::move(r));
    }
  }
  for (const auto& sort : query.sorts) plan.sorts.push_back(ResolveChecked(storage, query.file, sort));
  return plan;
}

}  // namespace mvdb::query
