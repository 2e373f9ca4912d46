// Syntax tree of a query: "SSELECT file [AVEC conditions] [PAR field]...".
// Built by the parser from text alone; names are resolved later.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace mvdb::query {

/// Comparison operators of a test.
enum class CompareOp { kEq, kNe, kLt, kLe, kGt, kGe };

/// How a test joins the result of the tests before it in the same condition.
enum class Join { kAnd, kOr };

/// One test of a field: operator and quoted value. A value written with a
/// trailing "]" is a prefix test: `prefix` is true and `value` lacks the "]".
struct FieldTest {
  Join join = Join::kAnd;  ///< ignored for the first test of a condition
  CompareOp op = CompareOp::kEq;
  std::string value;
  bool prefix = false;
  std::size_t position = 0;  ///< 1-based character position of the operator
};

/// A field as written in the query, with its position for messages.
struct FieldRef {
  std::string name;
  std::size_t position = 0;
};

/// "AVEC field test [AND|OR test]...": the tests combine left to right and
/// apply to one value of the field at a time.
struct Condition {
  FieldRef field;
  std::vector<FieldTest> tests;
};

/// A parsed query. `groups` is an OR of AND-groups of conditions (AND binds
/// tighter than OR between conditions); empty when the query has no AVEC.
struct Query {
  std::string file;
  std::size_t filePosition = 0;
  std::vector<std::vector<Condition>> groups;
  std::vector<FieldRef> sorts;  ///< PAR fields, in order
};

/// The operator as written ("=", "<=", ...), for messages and documentation.
const char* OperatorText(CompareOp op);

/// The tree as one canonical text, for traces and tests: keywords in capitals,
/// single blanks, each name followed by "@" and its position, each AND-group
/// in brackets and each condition in square brackets, a prefix value with its
/// "]":
///   SSELECT F@9 AVEC ([A@19 = "1" OR = "2]"] AND [B@40 <> ""]) OR ([C@58 < "9"]) PAR A@70
std::string ToString(const Query& query);

}  // namespace mvdb::query
