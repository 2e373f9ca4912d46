// Value comparison and record splitting shared by the evaluator and the indexes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "mvdb/numbers.h"
#include "mvdb/query/ast.h"

namespace mvdb::query {

/// Bytewise comparison of two texts: <0, 0 or >0.
inline int CompareText(std::string_view a, std::string_view b) {
  return a.compare(b);  // std::char_traits<char>::compare orders bytes as unsigned char
}

/// A test ready to be applied to values: its number is parsed once.
struct Comparison {
  CompareOp op = CompareOp::kEq;
  std::string text;
  std::optional<double> number;  ///< set when text is a number and the test is not a prefix test
  bool prefix = false;

  /// Builds the comparison of a parsed test.
  static Comparison FromTest(const FieldTest& test);

  /// True when the value satisfies the test. Two numbers compare as numbers,
  /// anything else as text, byte by byte. A prefix test compares the value's
  /// first bytes (as many as the prefix has) with the prefix: "=" is "begins
  /// with", "<>" is "does not begin with", "<" and the others order them.
  bool Holds(std::string_view value) const { return Holds(value, number ? ParseNumber(value) : std::nullopt); }
  /// As Holds, with the value's number parsed by the caller (nullopt when it
  /// is not one): a value tested many times is parsed once.
  bool Holds(std::string_view value, const std::optional<double>& valueNumber) const {
    if (prefix) return Apply(CompareText(value.substr(0, text.size()), text));
    if (number && valueNumber) return Apply(*valueNumber < *number ? -1 : (*valueNumber > *number ? 1 : 0));
    return Apply(CompareText(value, text));
  }
  /// As Holds for a value that is a number, when the test's own value is a
  /// number too and it is not a prefix test.
  bool HoldsNumber(double valueNumber) const {
    return Apply(valueNumber < *number ? -1 : (valueNumber > *number ? 1 : 0));
  }

 private:
  bool Apply(int order) const {
    switch (op) {
      case CompareOp::kEq: return order == 0;
      case CompareOp::kNe: return order != 0;
      case CompareOp::kLt: return order < 0;
      case CompareOp::kLe: return order <= 0;
      case CompareOp::kGt: return order > 0;
      case CompareOp::kGe: return order >= 0;
    }
    return false;
  }
};

/// The whole number written by a value of one to nine digits only (leading
/// zeros allowed: "007" is 7); nullopt for anything else, a sign, a decimal
/// point or the empty text included. The same number ParseNumber gives.
inline std::optional<std::uint32_t> ShortWholeNumber(std::string_view value) {
  if (value.empty() || value.size() > 9) return std::nullopt;
  std::uint32_t whole = 0;
  for (char c : value) {
    const auto digit = static_cast<std::uint32_t>(static_cast<unsigned char>(c) - '0');
    if (digit > 9) return std::nullopt;
    whole = whole * 10 + digit;
  }
  return whole;
}

/// Splits text on a delimiter into views of it (one empty view for empty text);
/// SplitOn replaces the content of out, AppendSplit appends to it.
void SplitOn(std::string_view text, char delimiter, std::vector<std::string_view>& out);
void AppendSplit(std::string_view text, char delimiter, std::vector<std::string_view>& out);

#if defined(__SSE2__)
/// Bit i set when byte i of the sixteen at `bytes` is `mark`.
inline unsigned MarkBits16(const char* bytes, char mark) {
  const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_set1_epi8(mark))));
}
#endif

/// The position after the n-th attribute mark of `text` from `at` (n >= 1);
/// npos when the text has fewer.
std::size_t PassMarks(std::string_view text, std::size_t at, std::size_t n);

/// The whole text of attribute n (1-based) of a record, "" past the end.
std::string_view AttributeOf(std::string_view record, int n);

}  // namespace mvdb::query
