// RecordText: a record being built by the generator, attribute by attribute,
// turned into the database's delimited text or into an exchange-format line.
#pragma once

#include <string>
#include <vector>

namespace morvane::demo {

/// Attributes numbered from 1, each a list of values (no sub-values: the demo
/// data never needs them). Setting past the end pads with empty attributes.
class RecordText {
 public:
  /// Attribute `attribute` (>= 1) holds one value.
  RecordText& Set(int attribute, std::string value);
  /// Attribute `attribute` (>= 1) holds these values (multi-valued).
  RecordText& SetValues(int attribute, std::vector<std::string> values);
  /// The values of an attribute (empty when never set).
  const std::vector<std::string>& Values(int attribute) const;
  /// Value 1 of an attribute, "" when unset.
  std::string Get(int attribute) const;
  /// Number of attributes set or padded (0 for an empty record).
  int AttributeCount() const { return static_cast<int>(attributes_.size()); }

  /// The whole text: attributes joined by 0xFE, values by 0xFD; trailing empty
  /// attributes are kept as set.
  std::string Text() const;

 private:
  std::vector<std::vector<std::string>> attributes_;
};

/// One record of a named file, ready to be written or exported.
struct FileRecord {
  std::string file;
  std::string key;
  RecordText record;
};

/// One exchange-format line: {"file":..,"id":..,"record":[..]} (no newline).
std::string JsonLine(const FileRecord& record);
/// Every record as one exchange-format line, each ended by "\n". Before the
/// first record of each file comes the line declaring it ({"file":..,"kind":
/// "hashed"}; for a dictionary "DICT F" the declared file is F, whose creation
/// makes its dictionary), so that the text imports into an empty database.
std::string JsonLines(const std::vector<FileRecord>& records);

}  // namespace morvane::demo
