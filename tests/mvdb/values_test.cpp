// Numbers read from text, and how the query language compares a value with a
// test: numbers as numbers, anything else byte by byte, prefixes by their bytes.
#include <gtest/gtest.h>

#include <array>
#include <sstream>

#include "mvdb/numbers.h"
#include "mvdb/query/values.h"

namespace mvdb {
namespace {

template <class T>
std::string Shown(const std::optional<T>& value) {
  if (!value) return "none";
  std::ostringstream out;
  out << *value;
  return out.str();
}

TEST(Numbers, EachReaderTakesItsOwnFormOnly) {
  // A text, then what each reader makes of it: a number, an integer, a count.
  const std::vector<std::array<std::string, 4>> cases = {
      {"16071", "16071", "16071", "16071"}, {"007", "7", "7", "7"},      {"+7", "7", "7", "none"},
      {"-3.5", "-3.5", "none", "none"},     {"-42", "-42", "-42", "none"}, {".5", "0.5", "none", "none"},
      {"", "none", "none", "none"},         {"-", "none", "none", "none"}, {"1 2", "none", "none", "none"},
      {" 1", "none", "none", "none"},       {"1.2.3", "none", "none", "none"}, {"12a", "none", "none", "none"},
      {"1e5", "none", "none", "none"},      {"1,5", "none", "none", "none"}, {"++1", "none", "none", "none"},
      {"3000000000", "3e+09", "3000000000", "none"},  // beyond a count's int range
      {std::string(400, '9'), "inf", "none", "none"}, {"-" + std::string(400, '9'), "-inf", "none", "none"},
      {"0." + std::string(400, '0') + "1", "0", "none", "none"},
  };
  for (const auto& [text, number, integer, count] : cases) {
    EXPECT_EQ(Shown(ParseNumber(text)) + " " + Shown(ParseInteger(text)) + " " + Shown(ParseCount(text)),
              number + " " + integer + " " + count) << text;
  }
}

TEST(QueryValues, ComparisonsOfNumbersTextsAndPrefixes) {
  using query::CompareOp;
  // The operator, the test ("]" ends a prefix), the value and whether it holds.
  const std::vector<std::tuple<CompareOp, std::string, std::string, bool>> cases = {
      {CompareOp::kLe, "10", "9", true},        // numbers: 9 < 10
      {CompareOp::kEq, "6", "06", true},        // "06" is 6
      {CompareOp::kGe, "50", "7", false},       {CompareOp::kGe, "16000", "16071", true},
      {CompareOp::kLt, "B", "A", true},         // texts byte by byte
      {CompareOp::kGt, "10", "x", true},        // letters after digits
      {CompareOp::kLt, "16000", "", true},      // the empty text before everything
      {CompareOp::kGt, "Z", "\xC3\x89", true},  // UTF-8 bytes above ASCII
      {CompareOp::kEq, "", "", true},           {CompareOp::kEq, "", " ", false},
      {CompareOp::kNe, "", "0", true},          {CompareOp::kEq, "005]", "00512", true},
      {CompareOp::kEq, "005]", "005", true},    {CompareOp::kEq, "005]", "00", false},
      {CompareOp::kEq, "5]", "005", false},     // a prefix is never a number
      {CompareOp::kNe, "PAR]", "PAU", true},    {CompareOp::kGe, "PA]", "PB", true},
      {CompareOp::kLe, "PA]", "PAZZZ", true},   {CompareOp::kLe, "160]", "16100", false},
      {CompareOp::kEq, "]", "anything", true},
  };
  for (const auto& [op, text, value, holds] : cases) {
    query::FieldTest test;
    test.op = op;
    test.prefix = text.ends_with(']');
    test.value = test.prefix ? text.substr(0, text.size() - 1) : text;
    EXPECT_EQ(query::Comparison::FromTest(test).Holds(value), holds)
        << "\"" << value << "\" " << query::OperatorText(op) << " \"" << text << "\"";
  }
}

}  // namespace
}  // namespace mvdb
