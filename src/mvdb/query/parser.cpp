#include "mvdb/query/parser.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "mvdb/errors.h"
#include "mvdb/query/lexer.h"

namespace mvdb::query {

namespace {

bool SameWord(const std::string& word, std::string_view keyword) {
  return word.size() == keyword.size() &&
         std::equal(word.begin(), word.end(), keyword.begin(), [](char a, char b) {
           return std::toupper(static_cast<unsigned char>(a)) == b;
         });
}

bool IsKeyword(const std::string& word) {
  for (std::string_view k : {"SSELECT", "AVEC", "AND", "OR", "PAR"}) {
    if (SameWord(word, k)) return true;
  }
  return false;
}

CompareOp OperatorOf(const std::string& text) {
  if (text == "=") return CompareOp::kEq;
  if (text == "<>") return CompareOp::kNe;
  if (text == "<") return CompareOp::kLt;
  if (text == "<=") return CompareOp::kLe;
  if (text == ">") return CompareOp::kGt;
  return CompareOp::kGe;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : tokens_(Tokenize(text)) {}

  Query Run() {
    Query query;
    if (!IsWord("SSELECT")) Fail("expected SSELECT at the start of the query");
    ++at_;
    if (Current().kind != TokenKind::kWord || IsKeyword(Current().text)) Fail("expected a file name after SSELECT");
    query.file = Current().text;
    query.filePosition = Current().position;
    ++at_;
    if (IsWord("AVEC")) ParseConditions(query);
    while (IsWord("PAR")) {
      if (query.sorts.size() == kMaxSortClauses)
        Fail("at most " + std::to_string(kMaxSortClauses) + " PAR clauses in a query, not more", false);
      ++at_;
      query.sorts.push_back(ParseField("PAR"));
    }
    if (Current().kind != TokenKind::kEnd) {
      Fail(query.sorts.empty() ? "expected AVEC, PAR or the end of the query"
                               : "expected PAR or the end of the query");
    }
    return query;
  }

 private:
  const Token& Current() const { return tokens_[at_]; }
  const Token& Next() const { return tokens_[std::min(at_ + 1, tokens_.size() - 1)]; }
  bool IsWord(std::string_view keyword) const {
    return Current().kind == TokenKind::kWord && SameWord(Current().text, keyword);
  }

  /// Throws kQuerySyntax at the current token: "position N: <expected>",
  /// followed by ", found <token>" when `sayFound`.
  [[noreturn]] void Fail(const std::string& expected, bool sayFound = true) const {
    std::string found = Current().kind == TokenKind::kEnd ? "the end of the query"
                        : Current().kind == TokenKind::kString ? "\"" + Current().text + "\""
                                                               : Current().text;
    throw DbError(ErrorCode::kQuerySyntax, "position " + std::to_string(Current().position) + ": " + expected +
                                               (sayFound ? ", found " + found : ""));
  }

  // Current token is AVEC.
  void ParseConditions(Query& query) {
    query.groups.emplace_back();
    while (true) {
      ++at_;  // AVEC
      query.groups.back().push_back(ParseCondition());
      if ((IsWord("AND") || IsWord("OR")) && Next().kind == TokenKind::kWord && SameWord(Next().text, "AVEC")) {
        if (IsWord("OR")) query.groups.emplace_back();
        ++at_;
        continue;
      }
      return;
    }
  }

  FieldRef ParseField(const char* after) {
    if (Current().kind != TokenKind::kWord || IsKeyword(Current().text)) {
      Fail(std::string("expected a field name after ") + after);
    }
    FieldRef field{Current().text, Current().position};
    ++at_;
    return field;
  }

  Condition ParseCondition() {
    Condition condition;
    condition.field = ParseField("AVEC");
    condition.tests.push_back(ParseTest(Join::kAnd));
    while (IsWord("AND") || IsWord("OR")) {
      const bool isAvec = Next().kind == TokenKind::kWord && SameWord(Next().text, "AVEC");
      if (isAvec) break;
      const Join join = IsWord("AND") ? Join::kAnd : Join::kOr;
      const std::string word = Current().text;
      ++at_;
      if (Current().kind != TokenKind::kOperator) {
        Fail("expected AVEC or an operator (=, <=, >=, <>, <, >) after " + word);
      }
      condition.tests.push_back(ParseTest(join));
    }
    return condition;
  }

  FieldTest ParseTest(Join join) {
    if (Current().kind != TokenKind::kOperator) Fail("expected an operator (=, <=, >=, <>, <, >)");
    FieldTest test;
    test.join = join;
    test.op = OperatorOf(Current().text);
    test.position = Current().position;
    ++at_;
    if (Current().kind != TokenKind::kString) {
      Fail(std::string("expected a quoted value after ") + OperatorText(test.op));
    }
    test.value = Current().text;
    if (!test.value.empty() && test.value.back() == ']') {
      test.prefix = true;
      test.value.pop_back();
    }
    ++at_;
    return test;
  }

  std::vector<Token> tokens_;
  std::size_t at_ = 0;
};

}  // namespace

Query Parse(std::string_view text) { return Parser(text).Run(); }

}  // namespace mvdb::query
