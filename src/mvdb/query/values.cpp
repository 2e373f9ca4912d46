#include "mvdb/query/values.h"

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

std::string_view AttributeOf(std::string_view record, int n) {
  if (n < 1) return {};
  std::size_t start = 0;
  for (int i = 1; i < n; ++i) {
    const std::size_t mark = record.find(kAttributeMark, start);
    if (mark == std::string_view::npos) return {};
    start = mark + 1;
  }
  const std::size_t end = record.find(kAttributeMark, start);
  return record.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

}  // namespace mvdb::query
