#include "mvdb/snapshot_cache.h"

namespace mvdb {

std::optional<std::optional<std::string>> SnapshotCache::Find(const std::string& table, const std::string& key) const {
  const auto t = tables_.find(table);
  if (t == tables_.end()) return std::nullopt;
  if (const auto r = t->second.records.find(key); r != t->second.records.end())
    return std::optional<std::string>(r->second);
  // Missing when a range read whole holds the key.
  auto range = t->second.ranges.upper_bound(key);
  if (range == t->second.ranges.begin()) return std::nullopt;
  --range;
  if (!range->second || key <= *range->second) return std::optional<std::string>();
  return std::nullopt;
}

void SnapshotCache::MakeRoom() {
  if (bytes_ > kMaxBytes) Clear();
}

void SnapshotCache::Keep(const std::string& table, const std::string& key, const std::string& text) {
  bytes_ += key.size() + text.size() + 64;
  tables_[table].records.emplace(key, text);
}

void SnapshotCache::Covered(const std::string& table, const std::string& first,
                            const std::optional<std::string>& last) {
  bytes_ += first.size() + (last ? last->size() : 0) + 64;
  auto [range, added] = tables_[table].ranges.try_emplace(first, last);
  if (added || !range->second) return;
  if (!last) {
    range->second.reset();
  } else if (*range->second < *last) {
    range->second = last;
  }
}

void SnapshotCache::Clear() {
  tables_.clear();
  bytes_ = 0;
}

}  // namespace mvdb
