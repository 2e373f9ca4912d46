// Splitting the text of a dynamic array on one of its delimiters.
#pragma once

#include <string_view>
#include <vector>

namespace mvdb {

/// The parts of `text` between occurrences of `mark`; always at least one part
/// (empty text gives one empty part). The parts view into `text`.
inline std::vector<std::string_view> SplitOnMark(std::string_view text, char mark) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(mark, start);
    if (at == std::string_view::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
}

}  // namespace mvdb
