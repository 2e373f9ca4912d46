#include "mvdb/query/dictionary.h"

#include <vector>

#include "mvdb/dynarray.h"
#include "mvdb/errors.h"
#include "mvdb/numbers.h"
#include "mvdb/storage.h"
#include "mvdb/query/values.h"

namespace mvdb::query {
namespace {

[[noreturn]] void Unknown(const FieldRef& field, const std::string& file, const std::string& why) {
  const std::string where = field.position > 0 ? "position " + std::to_string(field.position) + ": " : "";
  throw DbError(ErrorCode::kUnknownField, where + "field " + field.name + " of " + file + ": " + why);
}

FieldDef FromEntry(const FieldRef& field, const std::string& file, const std::string& record) {
  std::vector<std::string_view> attrs;
  SplitOn(record, kAttributeMark, attrs);
  attrs.resize(std::max<std::size_t>(attrs.size(), 7));
  FieldDef def;
  def.name = field.name;
  def.rightJustified = attrs[4] == "R";
  def.indexFlag = attrs[5] == "1";
  const std::string_view kind = attrs[0];
  if (kind == "A") {
    const auto n = ParseCount(attrs[1]);
    if (!n) Unknown(field, file, "dictionary entry A needs an attribute number in attribute 2");
    def.kind = *n == 0 ? FieldKind::kKey : FieldKind::kAttribute;
    def.attribute = *n;
  } else if (kind == "K") {
    const auto start = ParseCount(attrs[1]);
    const auto length = ParseCount(attrs[2]);
    if (!start || !length || *start < 1) Unknown(field, file, "dictionary entry K needs a start and a length");
    def.kind = FieldKind::kKeyPart;
    def.start = *start;
    def.length = *length;
  } else if (kind == "T") {
    const auto key = ParseKeyExpression(std::string(attrs[2]));
    const auto target = ParseCount(attrs[3]);
    if (attrs[1].empty() || !key || !target) {
      Unknown(field, file, "dictionary entry T needs a file, a key expression and an attribute");
    }
    def.kind = FieldKind::kTranslation;
    def.targetFile = std::string(attrs[1]);
    def.keyExpression = *key;
    def.attribute = *target;
  } else {
    Unknown(field, file, "dictionary entry of unknown kind \"" + std::string(kind) + "\"");
  }
  return def;
}

}  // namespace

std::string FieldDef::StoredSource() const {
  switch (kind) {
    case FieldKind::kKey: return "@ID";
    case FieldKind::kAttribute: return "A:" + std::to_string(attribute);
    case FieldKind::kKeyPart: return "K:" + std::to_string(start) + "," + std::to_string(length);
    case FieldKind::kTranslation: return "";
  }
  return "";
}

std::string DictionaryFileName(const std::string& file) { return "DICT " + file; }

std::optional<KeyExpression> ParseKeyExpression(const std::string& text) {
  KeyExpression key;
  if (text == "@ID") return key;
  if (text.rfind("@ID[", 0) == 0 && text.back() == ']') {
    const std::string inner = text.substr(4, text.size() - 5);
    const auto comma = inner.find(',');
    if (comma == std::string::npos) return std::nullopt;
    const auto start = ParseCount(inner.substr(0, comma));
    const auto length = ParseCount(inner.substr(comma + 1));
    if (!start || !length || *start < 1) return std::nullopt;
    key.kind = FieldKind::kKeyPart;
    key.start = *start;
    key.length = *length;
    return key;
  }
  if (const auto n = ParseCount(text)) {
    key.kind = *n == 0 ? FieldKind::kKey : FieldKind::kAttribute;
    key.attribute = *n;
    return key;
  }
  return std::nullopt;
}

FieldDef ResolveField(Storage& storage, const std::string& file, const FieldRef& field) {
  const std::string dict = DictionaryFileName(file);
  if (storage.HasFile(dict)) {
    if (const auto entry = storage.Get(dict, field.name)) return FromEntry(field, file, *entry);
  }
  FieldDef def;
  def.name = field.name;
  if (field.name == "@ID") return def;
  if (const auto n = ParseCount(field.name)) {
    def.kind = *n == 0 ? FieldKind::kKey : FieldKind::kAttribute;
    def.attribute = *n;
    return def;
  }
  Unknown(field, file, "not in the dictionary " + dict + " (expected a dictionary name, an attribute number or @ID)");
}

}  // namespace mvdb::query
