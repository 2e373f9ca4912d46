#include "mvdb/query/lexer.h"

#include "mvdb/errors.h"

namespace mvdb::query {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsOperatorChar(char c) { return c == '=' || c == '<' || c == '>'; }

}  // namespace

std::vector<Token> Tokenize(std::string_view text) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (IsBlank(c)) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    if (c == '"') {
      const std::size_t close = text.find('"', i + 1);
      if (close == std::string_view::npos) {
        throw DbError(ErrorCode::kQuerySyntax,
                      "position " + std::to_string(start + 1) +
                          ": unbalanced quote: expected a closing \" before the end of the query");
      }
      tokens.push_back({TokenKind::kString, std::string(text.substr(i + 1, close - i - 1)), start + 1});
      i = close + 1;
    } else if (IsOperatorChar(c)) {
      std::size_t len = 1;
      if (i + 1 < text.size()) {
        const char n = text[i + 1];
        if ((c == '<' && (n == '=' || n == '>')) || (c == '>' && n == '=')) len = 2;
      }
      tokens.push_back({TokenKind::kOperator, std::string(text.substr(i, len)), start + 1});
      i += len;
    } else {
      while (i < text.size() && !IsBlank(text[i]) && text[i] != '"' && !IsOperatorChar(text[i])) ++i;
      tokens.push_back({TokenKind::kWord, std::string(text.substr(start, i - start)), start + 1});
    }
  }
  tokens.push_back({TokenKind::kEnd, "", text.size() + 1});
  return tokens;
}

}  // namespace mvdb::query
