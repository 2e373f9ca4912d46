#include "mvdb/numbers.h"

#include <charconv>
#include <cmath>

namespace mvdb {

std::optional<double> ParseNumber(std::string_view text) {
  if (!text.empty() && text.size() < 16) {
    // Plain integers (codes, day numbers) are the common case: one pass.
    long long whole = 0;
    std::size_t i = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') whole = whole * 10 + (text[i++] - '0');
    if (i == text.size()) return static_cast<double>(whole);
  }
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  const std::size_t bodyStart = i;
  bool digits = false;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      digits = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return std::nullopt;
    }
  }
  if (!digits) return std::nullopt;
  double value = 0;
  const char* first = text.data() + bodyStart;
  const char* last = text.data() + text.size();
  if (!point && last - first < 16) {
    // Plain integers (codes, day numbers) are the common case: no locale, no rounding.
    long long whole = 0;
    for (const char* p = first; p != last; ++p) whole = whole * 10 + (*p - '0');
    value = static_cast<double>(whole);
  } else if (const auto result = std::from_chars(first, last, value); result.ec == std::errc::result_out_of_range) {
    const char* p = first;
    while (p != last && *p == '0') ++p;
    value = (p != last && *p != '.') ? HUGE_VAL : 0.0;
  } else if (result.ec != std::errc()) {
    return std::nullopt;
  }
  return bodyStart == 1 && text[0] == '-' ? -value : value;
}

std::optional<std::int64_t> ParseInteger(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return std::nullopt;
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<std::int64_t> ParseCount(std::string_view text, std::int64_t most) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  const auto value = ParseInteger(text);
  if (!value || *value > most) return std::nullopt;
  return value;
}

}  // namespace mvdb
