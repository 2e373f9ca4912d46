#include "mvdb/query/resolver.h"

#include <algorithm>

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

bool ResolvedCondition::HoldsForAny(std::string_view value) const {
  const std::optional<double> number = numeric ? ParseNumber(value) : std::nullopt;
  bool result = tests.front().Holds(value, number);
  for (std::size_t i = 1; i < tests.size(); ++i) {
    if (joins[i - 1] == Join::kAnd) {
      result = result && tests[i].Holds(value, number);
    } else {
      result = result || tests[i].Holds(value, number);
    }
  }
  return result;
}

void ResolvedCondition::Compile() {
  numeric = std::any_of(tests.begin(), tests.end(), [](const Comparison& c) { return c.number.has_value(); });
  numbersOnly = !tests.empty() && std::all_of(tests.begin(), tests.end(), [](const Comparison& c) {
    return c.number.has_value() && !c.prefix;
  });
  smallNumbers = 0;
  if (!numbersOnly) return;
  for (unsigned n = 0; n < 64; ++n) {
    if (HoldsForNumber(n)) smallNumbers |= std::uint64_t{1} << n;
  }
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
      }
      r.Compile();
      resolved.push_back(std::move(r));
    }
  }
  for (const auto& sort : query.sorts) plan.sorts.push_back(ResolveChecked(storage, query.file, sort));
  return plan;
}

}  // namespace mvdb::query
