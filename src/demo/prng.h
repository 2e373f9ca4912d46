// A small deterministic pseudo-random generator for the demo data: the same
// seed always gives the same sequence, on every platform and compiler.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace morvane::demo {

/// splitmix64: 64-bit state, one multiply-xorshift per draw. Value type.
class Prng {
 public:
  explicit Prng(std::uint64_t seed) : state_(seed) {}
  /// A stream for one item (carer, contract, ...) of one seed, independent of
  /// how many draws other items made.
  static Prng For(std::uint64_t seed, std::uint64_t stream, std::uint64_t item) {
    Prng mixer(seed ^ (stream * 0x9E3779B97F4A7C15ULL));
    mixer.state_ ^= item * 0xD1B54A32D192ED03ULL;
    mixer.Next();
    return mixer;
  }

  /// The next 64 random bits.
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  /// A whole number in [low, high] (both included); low when high < low.
  long Between(long low, long high) {
    if (high <= low) return low;
    auto span = static_cast<std::uint64_t>(high - low) + 1;
    return low + static_cast<long>(Next() % span);
  }
  /// True with the given probability in percent (0..100).
  bool Percent(int chance) { return static_cast<int>(Next() % 100) < chance; }
  /// One element of a non-empty list.
  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<std::size_t>(Next() % items.size())];
  }
  /// An index drawn with the given relative weights (non-empty, sum > 0).
  std::size_t Weighted(const std::vector<int>& weights) {
    long total = 0;
    for (int w : weights) total += w;
    long draw = Between(0, total - 1);
    for (std::size_t i = 0; i < weights.size(); ++i) {
      if (draw < weights[i]) return i;
      draw -= weights[i];
    }
    return weights.size() - 1;
  }

 private:
  std::uint64_t state_;
};

}  // namespace morvane::demo
