// Texts kept side by side in large blocks, for a query's selected records.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace mvdb::query {

/// Copies of texts, packed into blocks of a megabyte: one allocation per
/// block instead of one per text. A returned view stays valid, and its bytes
/// unchanged, for the arena's lifetime. Not safe for concurrent use.
class TextArena {
 public:
  /// A copy of `text`, kept.
  std::string_view Keep(std::string_view text) {
    if (text.empty()) return {};
    if (free_ < text.size()) {
      const std::size_t bytes = std::max(kBlockBytes, text.size());
      blocks_.push_back(std::make_unique_for_overwrite<char[]>(bytes));
      next_ = blocks_.back().get();
      free_ = bytes;
    }
    char* const at = next_;
    std::memcpy(at, text.data(), text.size());
    next_ += text.size();
    free_ -= text.size();
    return {at, text.size()};
  }

 private:
  static constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;  ///< the free end of the last block
  std::size_t free_ = 0;  ///< bytes left there
};

}  // namespace mvdb::query
