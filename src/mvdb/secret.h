// A password held in memory for the time of a sign-in: a fixed buffer that is
// never copied nor grown (no stray copy left behind by a reallocation), and
// wiped when it goes.
#pragma once

#include <string.h>

#include <array>
#include <cstddef>
#include <string_view>

namespace mvdb {

class Secret {
 public:
  /// Longest password kept, in bytes; the rest of a longer one is refused.
  static constexpr std::size_t kCapacity = 1024;

  Secret() = default;
  ~Secret() { Clear(); }
  Secret(const Secret&) = delete;
  Secret& operator=(const Secret&) = delete;

  /// Appends one byte; false (and nothing kept) when the buffer is full.
  bool Append(char c) {
    if (size_ == kCapacity) return false;
    bytes_[size_++] = c;
    return true;
  }
  /// Replaces the content; false when `text` is longer than kCapacity.
  bool Assign(std::string_view text) {
    Clear();
    if (text.size() > kCapacity) return false;
    for (char c : text) bytes_[size_++] = c;
    return true;
  }
  /// Removes the last byte, if any (a line end read with the password).
  void DropLast() {
    if (size_ > 0) bytes_[--size_] = '\0';
  }
  /// Overwrites every byte and empties it.
  void Clear() {
    ::explicit_bzero(bytes_.data(), bytes_.size());
    size_ = 0;
  }
  std::string_view View() const { return std::string_view(bytes_.data(), size_); }
  bool Empty() const { return size_ == 0; }
  bool operator==(const Secret& other) const { return View() == other.View(); }

 private:
  std::array<char, kCapacity + 1> bytes_{};
  std::size_t size_ = 0;
};

}  // namespace mvdb
