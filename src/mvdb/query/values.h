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

/// The number of bits set in a 16-bit mask.
inline unsigned BitCount16(unsigned bits) {
  bits = bits - ((bits >> 1) & 0x5555u);
  bits = (bits & 0x3333u) + ((bits >> 2) & 0x3333u);
  bits = (bits + (bits >> 4)) & 0x0F0Fu;
  return (bits + (bits >> 8)) & 0x1Fu;
}

/// Builds result-list rows: a record's listed attributes (0 = the key) in
/// order, separated by value marks, each with its own value marks lowered to
/// sub-value marks; an attribute past the record's end gives an empty column.
/// The record is read once, up to its highest listed attribute.
class RowBuilder {
 public:
  /// An empty list of columns means the key alone.
  explicit RowBuilder(std::vector<int> columns);
  std::string Row(std::string_view key, std::string_view text);
  /// As Row, written into the builder: the view is valid until its next call.
  std::string_view RowView(std::string_view key, std::string_view text);

 private:
  /// Ends attribute `attribute_` at the mark at `mark`; false once past the
  /// highest listed attribute.
  bool EndAttribute(std::string_view text, std::size_t mark);
  /// Row for columns in ascending order (after the key, if first): written
  /// in one pass over the record.
  std::string_view RowInOrder(std::string_view key, std::string_view text);

  bool inOrder_ = false;             ///< the key or nothing first, then attributes in ascending order
  bool keyFirst_ = false;            ///< with inOrder_: the first column is the key
  std::vector<std::size_t> order_;   ///< with inOrder_: the listed attributes
  std::string scratch_;              ///< the row being written

  std::vector<int> columns_;
  std::size_t highest_ = 0;             ///< the highest listed attribute
  std::vector<char> listed_;            ///< by attribute number: listed
  std::vector<std::size_t> nextListed_;  ///< by attribute number: the first listed one from there
  std::size_t attribute_ = 0;           ///< of the record being read: the attribute being split
  std::size_t start_ = 0;               ///< and where it starts
  std::vector<std::string_view> cells_;  ///< by attribute number, of the record being read
};

/// The whole text of attribute n (1-based) of a record, "" past the end.
std::string_view AttributeOf(std::string_view record, int n);

}  // namespace mvdb::query
