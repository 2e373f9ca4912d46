// SnapshotCache: the records a read snapshot has read from a server, kept
// until the snapshot ends. Inside a read-only snapshot the database cannot
// change under its reader, so a record read once (or known to be missing)
// is read again from memory; a look-up that misses reads ahead the records
// that follow in key order, which the control's walks (a carer's absences,
// one after the other) mostly read next. Internal to the storage.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

namespace mvdb {

class SnapshotCache {
 public:
  /// Bytes kept at most: past them MakeRoom starts the cache again empty.
  static constexpr std::size_t kMaxBytes = 256u << 20;

  /// True when the cache holds more than kMaxBytes.
  bool Full() const { return bytes_ > kMaxBytes; }
  /// Empties the cache when it holds more than kMaxBytes. Called before a
  /// read, never between the records of one.
  void MakeRoom();
  /// The record of `key` when the cache knows it: its text, or nullopt
  /// inside the optional when the table has no such record.
  std::optional<std::optional<std::string>> Find(const std::string& table, const std::string& key) const;
  /// Keeps a record read.
  void Keep(const std::string& table, const std::string& key, const std::string& text);
  /// Says that the table holds no other record with a key from `first` to
  /// `last` (both included; nullopt: to the end) than those kept.
  void Covered(const std::string& table, const std::string& first, const std::optional<std::string>& last);
  /// Forgets everything (the snapshot ended).
  void Clear();

 private:
  struct Table {
    std::unordered_map<std::string, std::string> records;
    std::map<std::string, std::optional<std::string>> ranges;  // first key -> last key (nullopt: the end) read whole
  };
  std::unordered_map<std::string, Table> tables_;
  std::size_t bytes_ = 0;
};

}  // namespace mvdb
