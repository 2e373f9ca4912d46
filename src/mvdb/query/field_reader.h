// Reading a field's values from a record, with translations cached for one query.
#pragma once

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

/// A record split once into its attributes. The views point into `text`, which
/// the view does not own: keep the text alive and unchanged while it is used.
struct RecordView {
  std::string_view key;
  std::string_view text;
  std::vector<std::string_view> attributes;  ///< attributes[0] is attribute 1

  /// Splits text into attributes.
  void Reset(std::string_view recordKey, std::string_view recordText);
  /// Attribute n (1-based), "" past the end.
  std::string_view Attribute(int n) const;
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

 private:
  struct Cached;
  const Cached& Target(const std::string& file, std::string_view key);
  void AppendTranslated(const FieldDef& field, std::string_view targetKey, std::vector<std::string_view>& out);

  Storage& storage_;
  std::unordered_map<std::string, std::unordered_map<std::string, std::unique_ptr<Cached>>> cache_;
  std::vector<std::string_view> scratch_;
};

}  // namespace mvdb::query
