#include "mvdb/query/ast.h"

namespace mvdb::query {

const char* OperatorText(CompareOp op) {
  switch (op) {
    case CompareOp::kEq: return "=";
    case CompareOp::kNe: return "<>";
    case CompareOp::kLt: return "<";
    case CompareOp::kLe: return "<=";
    case CompareOp::kGt: return ">";
    case CompareOp::kGe: return ">=";
  }
  return "?";
}

namespace {

std::string Named(const std::string& name, std::size_t position) { return name + "@" + std::to_string(position); }

std::string ConditionText(const Condition& condition) {
  std::string text(1, '[');  // appended, not "[" + ...: GCC 12 warns of a false overlap there
  text += Named(condition.field.name, condition.field.position);
  for (std::size_t t = 0; t < condition.tests.size(); ++t) {
    const FieldTest& test = condition.tests[t];
    if (t > 0) text += test.join == Join::kAnd ? " AND" : " OR";
    text += std::string(" ") + OperatorText(test.op) + " \"" + test.value + (test.prefix ? "]\"" : "\"");
  }
  return text + "]";
}

}  // namespace

std::string ToString(const Query& query) {
  std::string text = "SSELECT " + Named(query.file, query.filePosition);
  for (std::size_t g = 0; g < query.groups.size(); ++g) {
    text += g == 0 ? " AVEC (" : " OR (";
    for (std::size_t c = 0; c < query.groups[g].size(); ++c) {
      if (c > 0) text += " AND ";
      text += ConditionText(query.groups[g][c]);
    }
    text += ")";
  }
  for (const FieldRef& sort : query.sorts) text += " PAR " + Named(sort.name, sort.position);
  return text;
}

}  // namespace mvdb::query
