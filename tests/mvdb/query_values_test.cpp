// Value comparison: numbers against numbers, text byte by byte, prefix tests.
#include <gtest/gtest.h>

#include "mvdb/query/values.h"

namespace mvdb::query {
namespace {

Comparison Make(CompareOp op, std::string value) {
  FieldTest t;
  t.op = op;
  t.prefix = !value.empty() && value.back() == ']';
  if (t.prefix) value.pop_back();
  t.value = value;
  return Comparison::FromTest(t);
}

TEST(QueryValues, NumbersParseStrictly) {
  EXPECT_EQ(ParseNumber("16071"), 16071.0);
  EXPECT_EQ(ParseNumber("-3.5"), -3.5);
  EXPECT_EQ(ParseNumber("+7"), 7.0);
  EXPECT_EQ(ParseNumber("007"), 7.0);
  EXPECT_FALSE(ParseNumber(""));
  EXPECT_FALSE(ParseNumber("-"));
  EXPECT_FALSE(ParseNumber("1 2"));
  EXPECT_FALSE(ParseNumber("1.2.3"));
  EXPECT_FALSE(ParseNumber("12a"));
}

TEST(QueryValues, TwoNumbersCompareAsNumbers) {
  EXPECT_TRUE(Make(CompareOp::kLe, "10").Holds("9"));
  EXPECT_TRUE(Make(CompareOp::kLe, "6").Holds("06"));
  EXPECT_TRUE(Make(CompareOp::kEq, "6").Holds("06"));
  EXPECT_FALSE(Make(CompareOp::kGe, "50").Holds("7"));
  EXPECT_TRUE(Make(CompareOp::kGe, "16000").Holds("16071"));
}

TEST(QueryValues, OtherwiseTextByteByByte) {
  EXPECT_TRUE(Make(CompareOp::kLt, "B").Holds("A"));
  EXPECT_TRUE(Make(CompareOp::kGt, "10").Holds("x"));       // letters after digits
  EXPECT_TRUE(Make(CompareOp::kLt, "16000").Holds(""));     // empty before everything
  EXPECT_TRUE(Make(CompareOp::kGt, "Z").Holds("\xC3\x89"));  // UTF-8 bytes are above ASCII
  EXPECT_TRUE(Make(CompareOp::kEq, "").Holds(""));
  EXPECT_FALSE(Make(CompareOp::kEq, "").Holds(" "));
  EXPECT_TRUE(Make(CompareOp::kNe, "").Holds("0"));
}

TEST(QueryValues, PrefixTestsCompareTheLeadingBytes) {
  EXPECT_TRUE(Make(CompareOp::kEq, "005]").Holds("00512"));
  EXPECT_TRUE(Make(CompareOp::kEq, "005]").Holds("005"));
  EXPECT_FALSE(Make(CompareOp::kEq, "005]").Holds("00"));
  EXPECT_FALSE(Make(CompareOp::kEq, "5]").Holds("005"));  // never numeric
  EXPECT_TRUE(Make(CompareOp::kNe, "PAR]").Holds("PAU"));
  EXPECT_TRUE(Make(CompareOp::kGe, "PA]").Holds("PB"));
  EXPECT_TRUE(Make(CompareOp::kLe, "PA]").Holds("PAZZZ"));
  EXPECT_TRUE(Make(CompareOp::kEq, "]").Holds("anything"));
}

TEST(QueryValues, SplitKeepsEmptyParts) {
  std::vector<std::string_view> parts;
  SplitOn("a\xFD\xFD" "b", '\xFD', parts);
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[1], "");
  SplitOn("", '\xFD', parts);
  EXPECT_EQ(parts.size(), 1u);
  EXPECT_EQ(AttributeOf("k\xFE" "a\xFE" "b", 3), "b");
  EXPECT_EQ(AttributeOf("k", 5), "");
}

}  // namespace
}  // namespace mvdb::query
