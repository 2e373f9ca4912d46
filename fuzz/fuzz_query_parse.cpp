// Query lexer and parser on arbitrary text: they either return tokens / a
// syntax tree or throw DbError kQuerySyntax; nothing else, never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "mvdb/errors.h"
#include "mvdb/query/lexer.h"
#include "mvdb/query/parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const auto tokens = mvdb::query::Tokenize(text);
    // The last token is always the end, positioned one past the text.
    if (tokens.empty() || tokens.back().kind != mvdb::query::TokenKind::kEnd) std::abort();
    for (const auto& token : tokens)
      if (token.position < 1 || token.position > text.size() + 1) std::abort();
  } catch (const mvdb::DbError& e) {
    if (e.code() != mvdb::ErrorCode::kQuerySyntax) std::abort();
  }
  try {
    (void)mvdb::query::Parse(text);
  } catch (const mvdb::DbError& e) {
    if (e.code() != mvdb::ErrorCode::kQuerySyntax && e.code() != mvdb::ErrorCode::kUnknownField) std::abort();
  }
  return 0;
}
