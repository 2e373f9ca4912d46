// Reading a field's values from a record, with translations cached for one query.
#pragma once

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "mvdb/query/dictionary.h"

namespace mvdb {
class Storage;
}

namespace mvdb::query {

/// The part of a key from `start` (1-based) of `length` bytes, cut short at the
/// key's end; "" when it starts past the end.
inline std::string_view KeyPartOf(std::string_view key, int start, int length) {
  return key.substr(std::min<std::size_t>(static_cast<std::size_t>(start - 1), key.size()),
                    static_cast<std::size_t>(length));
}

/// A record split into its attributes as far as they are read: reading
/// attribute n splits the text up to it, once. The views point into `text`,
/// which the view does not own: keep the text alive and unchanged while it is
/// used. Not safe for concurrent use.
class RecordView {
 public:
  std::string_view key;
  std::string_view text;

  /// Starts on another record.
  void Reset(std::string_view recordKey, std::string_view recordText);
  /// Attribute n (1-based), "" past the end.
  std::string_view Attribute(int n) const;

 private:
  mutable std::vector<std::string_view> attributes_;  ///< [0] is attribute 1, split so far
  mutable std::size_t unsplit_ = 0;                   ///< where the text not yet split starts
  mutable bool split_ = false;                        ///< every attribute is split
};

/// Reads field values. Records of other files read for translations are kept
/// for the reader's lifetime (one query), so each is read once.
class FieldReader {
 public:
  explicit FieldReader(Storage& storage);
  ~FieldReader();

  /// The values of the field in the record, into out (cleared first). An empty
  /// attribute gives one empty value; a translation whose target record is
  /// missing gives one empty value. The views stay valid while the record text
  /// and this reader live.
  void Values(const FieldDef& field, const RecordView& record, std::vector<std::string_view>& out);
  /// The first value of the field (the sort value).
  std::string_view FirstValue(const FieldDef& field, const RecordView& record);
  /// Reads at once (in a few requests to a server) the records of other files
  /// that the translated fields among `fields` need for these records and
  /// that were not read yet; fields of other kinds are ignored. Throws
  /// DbError kIo on storage failure.
  void Prefetch(const std::vector<const FieldDef*>& fields, const std::vector<RecordView>& records);

 private:
  struct Cached;
  const Cached& Target(const std::string& file, std::string_view key);
  /// The keys of the target records of a translated field (an empty key for
  /// an empty key part or attribute).
  void TargetKeys(const FieldDef& field, const RecordView& record, std::vector<std::string_view>& out);
  void Keep(const std::string& file, std::string key, std::string text);
  void AppendTranslated(const FieldDef& field, std::string_view targetKey, std::vector<std::string_view>& out);

  Storage& storage_;
  /// Hashes texts and views alike, so that a look-up by view copies nothing.
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  using Records = std::unordered_map<std::string, std::unique_ptr<Cached>, TextHash, std::equal_to<>>;
  std::unordered_map<std::string, Records> cache_;
  const Cached* last_ = nullptr;  ///< the last target record found, of lastFile_
  std::string lastFile_;
  std::vector<std::string_view> scratch_;
  std::vector<std::string_view> targetKeys_;
};

}  // namespace mvdb::query
