// Resolver: binds the names of a parsed query to the dictionary of its file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mvdb/query/ast.h"
#include "mvdb/query/dictionary.h"
#include "mvdb/query/values.h"

namespace mvdb {
class Storage;
}

namespace mvdb::query {

/// A condition whose field is resolved and whose test values are parsed.
struct ResolvedCondition {
  FieldDef field;
  std::vector<Comparison> tests;
  std::vector<Join> joins;  ///< joins[i] joins tests[i + 1] to what precedes it
  std::size_t position = 0;
  bool numeric = false;  ///< some test compares with a number: values are parsed as numbers
  /// Every test compares with a number and none is a prefix test: a value
  /// written in digits only is then tested through its number alone.
  bool numbersOnly = false;
  /// With numbersOnly, bit n is set when the whole number n (below 64)
  /// satisfies the tests: reason codes and the like cost one bit test.
  std::uint64_t smallNumbers = 0;

  /// Sets numeric, numbersOnly and smallNumbers from the tests and joins.
  void Compile();

  /// True when one value satisfies the tests combined left to right.
  bool HoldsFor(std::string_view value) const {
    if (numbersOnly) {
      if (const auto whole = ShortWholeNumber(value)) {
        return *whole < 64 ? (smallNumbers >> *whole & 1) != 0 : HoldsForNumber(static_cast<double>(*whole));
      }
    }
    return HoldsForAny(value);
  }
  /// As HoldsFor, for any value.
  bool HoldsForAny(std::string_view value) const;
  /// As HoldsFor for a value that is a number, with numbersOnly set.
  bool HoldsForNumber(double number) const {
    bool result = tests.front().HoldsNumber(number);
    for (std::size_t i = 1; i < tests.size(); ++i) {
      if (joins[i - 1] == Join::kAnd) {
        result = result && tests[i].HoldsNumber(number);
      } else {
        result = result || tests[i].HoldsNumber(number);
      }
    }
    return result;
  }
  /// Text that identifies the field and tests (equal conditions share it).
  std::string Signature() const;
};

/// A query ready to run: OR of AND-groups of resolved conditions, and sorts.
struct Plan {
  std::string file;
  std::vector<std::vector<ResolvedCondition>> groups;
  std::vector<FieldDef> sorts;
};

/// Resolves every field of the query against the dictionary of its file.
/// Throws DbError kFileNotFound when the file does not exist (or a translation
/// names a file that does not), kUnknownField for an unknown field.
Plan Resolve(Storage& storage, const Query& query);

}  // namespace mvdb::query
