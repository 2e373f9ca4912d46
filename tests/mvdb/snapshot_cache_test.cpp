// What a read snapshot keeps of a server's records: a record read is known, a
// key inside a range read whole is known to be missing, anything else is
// unknown; past its size the cache starts again, never within one read.
#include <gtest/gtest.h>

#include "mvdb/snapshot_cache.h"

namespace mvdb {
namespace {

std::string Known(const SnapshotCache& cache, const std::string& key) {
  const auto found = cache.Find("t", key);
  if (!found) return "unknown";
  return *found ? "record " + **found : "missing";
}

TEST(SnapshotCache, RecordsReadAreKnownAndKeysInsideRangesReadWholeAreMissing) {
  SnapshotCache cache;
  cache.Keep("t", "b", "B");
  cache.Keep("t", "d", "D");
  cache.Covered("t", "b", std::string("d"));  // b..d read whole
  cache.Covered("t", "x", std::nullopt);      // x to the end read whole
  cache.Covered("t", "x", std::string("y"));  // a narrower read changes nothing
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"a", "unknown"}, {"b", "record B"}, {"c", "missing"}, {"d", "record D"}, {"da", "unknown"},
      {"x", "missing"}, {"zzz", "missing"},
  };
  for (const auto& [key, expected] : cases) EXPECT_EQ(Known(cache, key), expected) << key;
  EXPECT_EQ(cache.Find("other", "b"), std::nullopt);

  cache.Keep("t", "e", std::string(SnapshotCache::kMaxBytes, 'e'));
  EXPECT_EQ(Known(cache, "b"), "record B");  // kept until the next read makes room
  cache.MakeRoom();
  EXPECT_EQ(Known(cache, "b"), "unknown");
  EXPECT_EQ(Known(cache, "x"), "unknown");
}

}  // namespace
}  // namespace mvdb
