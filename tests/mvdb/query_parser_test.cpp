// Lexer and parser of the query language: the query forms the control writes,
// and malformed queries with their positions.
#include <gtest/gtest.h>

#include "mvdb/errors.h"
#include "mvdb/query/lexer.h"
#include "mvdb/query/parser.h"

namespace mvdb::query {
namespace {

TEST(QueryLexer, SplitsOperatorsGluedToWordsAndKeepsPositions) {
  const auto tokens = Tokenize("AVEC 1 OR=\"x\"  <>\"\"");
  ASSERT_EQ(tokens.size(), 8u);
  EXPECT_EQ(tokens[2].text, "OR");
  EXPECT_EQ(tokens[3].kind, TokenKind::kOperator);
  EXPECT_EQ(tokens[3].text, "=");
  EXPECT_EQ(tokens[3].position, 10u);
  EXPECT_EQ(tokens[4].kind, TokenKind::kString);
  EXPECT_EQ(tokens[4].text, "x");
  EXPECT_EQ(tokens[5].text, "<>");
  EXPECT_EQ(tokens[6].kind, TokenKind::kString);
  EXPECT_EQ(tokens[6].text, "");
  EXPECT_EQ(tokens[7].kind, TokenKind::kEnd);
}

TEST(QueryParser, SortOnlyQueryWithTrailingBlank) {
  const Query q = Parse("SSELECT SECTEUR PAR 1 ");
  EXPECT_EQ(q.file, "SECTEUR");
  EXPECT_TRUE(q.groups.empty());
  ASSERT_EQ(q.sorts.size(), 1u);
  EXPECT_EQ(q.sorts[0].name, "1");
  EXPECT_EQ(q.sorts[0].position, 21u);
}

TEST(QueryParser, PrefixValueLosesItsBracket) {
  const Query q = Parse("SSELECT COMMUNES AVEC 1 = \"PAR]\" PAR 1");
  ASSERT_EQ(q.groups.size(), 1u);
  const FieldTest& t = q.groups[0][0].tests[0];
  EXPECT_TRUE(t.prefix);
  EXPECT_EQ(t.value, "PAR");
  EXPECT_EQ(q.sorts.size(), 1u);
}

TEST(QueryParser, AbsenceQueryGroupsConditionsAndChainsTests) {
  const Query q = Parse(
      "SSELECT ABSENCESAIDANT AVEC NumMotifAidant <= \"6\" OR = \"29\" OR = \"30\" AND AVEC CodeSectAbs = \"001\""
      " AND AVEC DebAbsAidant <= \"16100\" AND AVEC 2 >= \"16000\" OR AVEC NumMotifAidant >= \"12\" AND <= \"17\""
      " OR = \"23\" OR=\"25\" AND AVEC 10 = \"\" PAR SecteurAbsAidant PAR NomAidant PAR PrenomAidant PAR @ID");
  ASSERT_EQ(q.groups.size(), 2u);
  ASSERT_EQ(q.groups[0].size(), 4u);
  ASSERT_EQ(q.groups[1].size(), 2u);
  const Condition& reasons = q.groups[1][0];
  ASSERT_EQ(reasons.tests.size(), 4u);
  EXPECT_EQ(reasons.tests[1].join, Join::kAnd);
  EXPECT_EQ(reasons.tests[1].op, CompareOp::kLe);
  EXPECT_EQ(reasons.tests[3].join, Join::kOr);
  EXPECT_EQ(reasons.tests[3].value, "25");
  EXPECT_EQ(q.groups[1][1].field.name, "10");
  EXPECT_EQ(q.groups[1][1].tests[0].value, "");
  ASSERT_EQ(q.sorts.size(), 4u);
  EXPECT_EQ(q.sorts[3].name, "@ID");
}

TEST(QueryParser, KeywordsInAnyCaseAndExtraBlanks) {
  const Query q = Parse("  sselect   CONTRAT  avec CodeAidant =   \"00012\"   and avec 8 >= \"1\" or = \"\"  ");
  ASSERT_EQ(q.groups.size(), 1u);
  ASSERT_EQ(q.groups[0].size(), 2u);
  EXPECT_EQ(q.groups[0][1].tests.size(), 2u);
}

struct Malformed {
  const char* text;
  std::size_t position;
  const char* expected;
};

class QueryParserMalformed : public ::testing::TestWithParam<Malformed> {};

TEST_P(QueryParserMalformed, FailsWithPositionAndExpectation) {
  const Malformed m = GetParam();
  try {
    Parse(m.text);
    FAIL() << "no error for " << m.text;
  } catch (const DbError& e) {
    EXPECT_EQ(e.code(), ErrorCode::kQuerySyntax);
    const std::string message = e.what();
    EXPECT_EQ(message.rfind("position " + std::to_string(m.position) + ":", 0), 0u) << message;
    EXPECT_NE(message.find(m.expected), std::string::npos) << message;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QueryParserMalformed,
    ::testing::Values(Malformed{"", 1, "expected SSELECT"}, Malformed{"SELECT X", 1, "expected SSELECT"},
                      Malformed{"SSELECT", 8, "expected a file name"},
                      Malformed{"SSELECT F AVEC 1 = \"abc", 20, "unbalanced quote"},
                      Malformed{"SSELECT F AVEC 1 \"a\"", 18, "expected an operator"},
                      Malformed{"SSELECT F AVEC 1 =", 19, "expected a quoted value"},
                      Malformed{"SSELECT F AVEC 1 = 5", 20, "expected a quoted value"},
                      Malformed{"SSELECT F AVEC 1 = \"a\" AND", 27, "expected AVEC or an operator"},
                      Malformed{"SSELECT F AVEC 1 = \"a\" OR AVEC", 31, "expected a field name after AVEC"},
                      Malformed{"SSELECT F AVEC", 15, "expected a field name after AVEC"},
                      Malformed{"SSELECT F PAR", 14, "expected a field name after PAR"},
                      Malformed{"SSELECT F PAR 1 AVEC 1 = \"a\"", 17, "expected PAR or the end"},
                      Malformed{"SSELECT F 1 = \"a\"", 11, "expected AVEC, PAR or the end"}));

}  // namespace
}  // namespace mvdb::query
