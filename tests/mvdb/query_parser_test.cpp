// The query language's lexer and parser: each query text against its whole
// syntax tree, or its whole error message.
#include <gtest/gtest.h>

#include "mvdb/errors.h"
#include "mvdb/query/parser.h"

namespace mvdb::query {
namespace {

std::string Parsed(const std::string& text) {
  try {
    return ToString(Parse(text));
  } catch (const DbError& e) {
    EXPECT_EQ(e.code(), ErrorCode::kQuerySyntax) << text;
    return e.what();
  }
}

std::string Sorts(int count) {
  std::string text = "SSELECT F";
  for (int i = 1; i <= count; ++i) text += " PAR " + std::to_string(i % 10);
  return text;
}

TEST(QueryParser, TextGivesItsTreeOrSaysWhereItFails) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      // the forms the control writes
      {"SSELECT SECTEUR PAR 1 ", "SSELECT SECTEUR@9 PAR 1@21"},
      {"SSELECT COMMUNES AVEC 1 = \"PAR]\" PAR 1", "SSELECT COMMUNES@9 AVEC ([1@23 = \"PAR]\"]) PAR 1@38"},
      {"SSELECT ABSENCESAIDANT AVEC NumMotifAidant <= \"6\" OR = \"29\" AND AVEC CodeSectAbs = \"001\""
       " OR AVEC NumMotifAidant >= \"12\" AND <= \"17\" OR=\"25\" AND AVEC 10 = \"\" PAR NomAidant PAR @ID",
       "SSELECT ABSENCESAIDANT@9 AVEC ([NumMotifAidant@29 <= \"6\" OR = \"29\"] AND [CodeSectAbs@70 = \"001\"])"
       " OR ([NumMotifAidant@98 >= \"12\" AND <= \"17\" OR = \"25\"] AND [10@150 = \"\"]) PAR NomAidant@162 PAR @ID@176"},
      // keywords in any case, blanks repeated, operators glued to words
      {"  sselect   CONTRAT  avec CodeAidant =   \"00012\"   and avec 8 >= \"1\" or = \"\"  ",
       "SSELECT CONTRAT@13 AVEC ([CodeAidant@27 = \"00012\"] AND [8@61 >= \"1\" OR = \"\"])"},
      {"SSELECT F AVEC 1 = \"a\" OR=\"x\" AND<>\"\"", "SSELECT F@9 AVEC ([1@16 = \"a\" OR = \"x\" AND <> \"\"])"},
      {Sorts(16), ToString(Parse(Sorts(15))) + " PAR 6@105"},
      // malformed queries
      {"", "position 1: expected SSELECT at the start of the query, found the end of the query"},
      {"SELECT X", "position 1: expected SSELECT at the start of the query, found SELECT"},
      {"SSELECT", "position 8: expected a file name after SSELECT, found the end of the query"},
      {"SSELECT AVEC", "position 9: expected a file name after SSELECT, found AVEC"},
      {"SSELECT F AVEC 1 = \"abc",
       "position 20: unbalanced quote: expected a closing \" before the end of the query"},
      {"SSELECT F AVEC 1 \"a\"", "position 18: expected an operator (=, <=, >=, <>, <, >), found \"a\""},
      {"SSELECT F AVEC 1 =", "position 19: expected a quoted value after =, found the end of the query"},
      {"SSELECT F AVEC 1 <= 5", "position 21: expected a quoted value after <=, found 5"},
      {"SSELECT F AVEC 1 = \"a\" AND",
       "position 27: expected AVEC or an operator (=, <=, >=, <>, <, >) after AND, found the end of the query"},
      {"SSELECT F AVEC 1 = \"a\" OR AVEC", "position 31: expected a field name after AVEC, found the end of the query"},
      {"SSELECT F AVEC", "position 15: expected a field name after AVEC, found the end of the query"},
      {"SSELECT F PAR", "position 14: expected a field name after PAR, found the end of the query"},
      {"SSELECT F PAR PAR", "position 15: expected a field name after PAR, found PAR"},
      {"SSELECT F PAR 1 AVEC 1 = \"a\"", "position 17: expected PAR or the end of the query, found AVEC"},
      {"SSELECT F 1 = \"a\"", "position 11: expected AVEC, PAR or the end of the query, found 1"},
      {Sorts(17), "position 107: at most 16 PAR clauses in a query, not more"},
      {Sorts(6000), "position 107: at most 16 PAR clauses in a query, not more"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(Parsed(text), expected) << text.substr(0, 200);
}

}  // namespace
}  // namespace mvdb::query
