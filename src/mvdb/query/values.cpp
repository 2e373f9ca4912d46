#include "mvdb/query/values.h"

#include <algorithm>
#include <bit>

#include "mvdb/dynarray.h"

namespace mvdb::query {

Comparison Comparison::FromTest(const FieldTest& test) {
  Comparison c;
  c.op = test.op;
  c.text = test.value;
  c.prefix = test.prefix;
  if (!test.prefix) c.number = ParseNumber(test.value);
  return c;
}

void SplitOn(std::string_view text, char delimiter, std::vector<std::string_view>& out) {
  out.clear();
  AppendSplit(text, delimiter, out);
}

void AppendSplit(std::string_view text, char delimiter, std::vector<std::string_view>& out) {
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(delimiter, start);
    if (end == std::string_view::npos) {
      out.push_back(text.substr(start));
      return;
    }
    out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

std::size_t PassMarks(std::string_view text, std::size_t at, std::size_t n) {
  const char* const data = text.data();
#if defined(__SSE2__)
  for (; at + 16 <= text.size(); at += 16) {
    unsigned found = MarkBits16(data + at, kAttributeMark);
    const auto count = static_cast<std::size_t>(std::popcount(found));
    if (count < n) {
      n -= count;
      continue;
    }
    for (; n > 1; --n) found &= found - 1;
    return at + static_cast<std::size_t>(std::countr_zero(found)) + 1;
  }
#endif
  for (; at < text.size(); ++at) {
    if (data[at] == kAttributeMark && --n == 0) return at + 1;
  }
  return std::string_view::npos;
}

std::string_view AttributeOf(std::string_view record, int n) {
  if (n < 1) return {};
  const std::size_t start = n == 1 ? 0 : PassMarks(record, 0, static_cast<std::size_t>(n - 1));
  if (start == std::string_view::npos) return {};
  const std::size_t end = PassMarks(record, start, 1);
  return record.substr(start, end == std::string_view::npos ? std::string_view::npos : end - 1 - start);
}

}  // namespace mvdb::query
