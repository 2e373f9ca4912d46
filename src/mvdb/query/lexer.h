// Lexer of the query language: words, quoted values and operators.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mvdb::query {

enum class TokenKind {
  kWord,      ///< a run of characters other than blanks, quotes and = < >
  kString,    ///< a double-quoted value; text excludes the quotes
  kOperator,  ///< = <= >= <> < >
  kEnd,       ///< end of the query text
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;
  std::size_t position = 0;  ///< 1-based character position of the token's start
};

/// Splits query text into tokens; the last token is always kEnd (positioned
/// one past the last character). Blanks (space, tab, CR, LF) separate words
/// and may be repeated or trail. Throws DbError kQuerySyntax for a quote that
/// is never closed, naming the position of the opening quote.
std::vector<Token> Tokenize(std::string_view text);

}  // namespace mvdb::query
