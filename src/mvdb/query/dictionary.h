// Dictionaries: named fields of a file, read from the hashed file "DICT <file>".
#pragma once

#include <optional>
#include <string>

#include "mvdb/query/ast.h"

namespace mvdb {
class Storage;
}

namespace mvdb::query {

/// Where a field's values come from.
enum class FieldKind {
  kKey,          ///< the record key ("@ID", "0", or an A entry on attribute 0)
  kAttribute,    ///< attribute n of the record
  kKeyPart,      ///< @ID[start,length]
  kTranslation,  ///< attribute of the record of another file whose key this record gives
};

/// The key expression of a translation: the whole key, a part of it, or an attribute.
struct KeyExpression {
  FieldKind kind = FieldKind::kKey;  ///< kKey, kKeyPart or kAttribute
  int attribute = 0;
  int start = 1;
  int length = 0;
};

/// A resolved field.
struct FieldDef {
  std::string name;
  FieldKind kind = FieldKind::kKey;
  int attribute = 0;        ///< kAttribute; kTranslation: attribute of the target record
  int start = 1;            ///< kKeyPart: from 1
  int length = 0;           ///< kKeyPart
  std::string targetFile;   ///< kTranslation
  KeyExpression keyExpression;  ///< kTranslation
  bool rightJustified = false;  ///< R: numbers sort as numbers
  bool indexFlag = false;       ///< dictionary attribute 6 is "1"

  /// Identifies the stored data behind the field ("A:2", "K:1,5", "@ID"), so
  /// that two names of the same data share one index; empty for translations.
  std::string StoredSource() const;
};

/// Name of the dictionary file of a file.
std::string DictionaryFileName(const std::string& file);

/// Parses "@ID", "@ID[s,l]" or an attribute number; nullopt when malformed.
std::optional<KeyExpression> ParseKeyExpression(const std::string& text);

/// Resolves a field name of `file`: its dictionary entry when there is one,
/// else "@ID" or digits (an attribute number, 0 for the key). Throws DbError
/// kUnknownField naming the field and its position when neither applies or
/// when the dictionary entry is malformed.
FieldDef ResolveField(Storage& storage, const std::string& file, const FieldRef& field);

}  // namespace mvdb::query
