// Reading numbers from text, the one way for the whole program: record fields,
// query values, dictionary entries and command-line arguments.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace mvdb {

/// The decimal number a text stands for: an optional sign, digits, an optional
/// decimal point and digits, at least one digit in all. No blanks (trim first
/// where a field may hold them), no exponent, no thousands separator, no
/// decimal comma. nullopt otherwise, for the empty text in particular. A
/// number beyond a double is still a number: too many integer digits read as
/// +/-HUGE_VAL, a fraction too small as 0. "06" and "6" are the same number.
std::optional<double> ParseNumber(std::string_view text);

/// A whole number: an optional sign and digits only, within 64 bits. nullopt
/// for anything else (blanks, a decimal point, overflow, the empty text).
std::optional<std::int64_t> ParseInteger(std::string_view text);

/// A count or a position: digits only (no sign), at most `most`. nullopt
/// otherwise.
std::optional<std::int64_t> ParseCount(std::string_view text, std::int64_t most = INT32_MAX);

}  // namespace mvdb
