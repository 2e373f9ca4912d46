// JSON Lines import and export with nlohmann-json.
#include "mvdb/jsonl.h"

#include <istream>
#include <ostream>
#include <utility>

#include <nlohmann/json.hpp>

#include "mvdb/database.h"
#include "mvdb/directory_files.h"
#include "mvdb/dynarray.h"
#include "mvdb/split_marks.h"
#include "mvdb/storage.h"

namespace mvdb::jsonl {
namespace {

using nlohmann::json;

[[noreturn]] void Bad(const std::string& why) { throw DbError(ErrorCode::kBadRecord, why); }


json ValueToJson(std::string_view value) {
  if (value.find(kSubValueMark) == std::string_view::npos) return json(std::string(value));
  json subs = json::array();
  for (auto sub : SplitOnMark(value, kSubValueMark)) subs.push_back(std::string(sub));
  return subs;
}

json AttributeToJson(std::string_view attribute) {
  if (attribute.find_first_of("\xFD\xFC") == std::string_view::npos) return json(std::string(attribute));
  json values = json::array();
  for (auto value : SplitOnMark(attribute, kValueMark)) values.push_back(ValueToJson(value));
  return values;
}

json RecordToJson(std::string_view text) {
  json attributes = json::array();
  if (text.empty()) return attributes;
  for (auto attribute : SplitOnMark(text, kAttributeMark)) attributes.push_back(AttributeToJson(attribute));
  return attributes;
}

void AppendString(const json& node, std::string& out, const std::string& where) {
  if (!node.is_string()) Bad(where + " must be a string");
  out += node.get_ref<const std::string&>();
}

void AppendValue(const json& node, std::string& out, const std::string& where) {
  if (!node.is_array()) return AppendString(node, out, where);
  for (std::size_t s = 0; s < node.size(); ++s) {
    if (s > 0) out.push_back(kSubValueMark);
    AppendString(node[s], out, where + " sub-value " + std::to_string(s + 1));
  }
}

void AppendAttribute(const json& node, std::string& out, const std::string& where) {
  if (!node.is_array()) return AppendString(node, out, where + " (a string or an array of values)");
  for (std::size_t v = 0; v < node.size(); ++v) {
    if (v > 0) out.push_back(kValueMark);
    AppendValue(node[v], out, where + " value " + std::to_string(v + 1));
  }
}

std::string StringField(const json& line, const char* name) {
  const auto it = line.find(name);
  if (it == line.end()) return {};
  if (!it->is_string()) Bad(std::string("\"") + name + "\" must be a string");
  return it->get<std::string>();
}

FileKind KindOf(const std::string& kind) {
  if (kind.empty() || kind == "hashed") return FileKind::kHashed;
  if (kind == "directory") return FileKind::kDirectory;
  Bad("\"kind\" must be \"hashed\" or \"directory\", not \"" + kind + "\"");
}

std::string DumpLine(const json& line, const std::string& what) {
  try {
    return line.dump(-1, ' ', false, json::error_handler_t::strict);
  } catch (const json::exception& e) {
    Bad(what + " cannot be exported: it is not valid UTF-8 (" + e.what() + ")");
  }
}

}  // namespace

std::string EncodeLine(const std::string& file, const std::string& key, std::string_view text) {
  json line = json::object();
  line["file"] = file;
  line["id"] = key;
  line["record"] = RecordToJson(text);
  return DumpLine(line, "record " + key + " of file " + file);
}

Line DecodeLine(std::string_view text) {
  json line;
  try {
    line = json::parse(text);
  } catch (const json::exception& e) {
    Bad(std::string("not JSON: ") + e.what());
  }
  if (!line.is_object()) Bad("a line must be a JSON object");
  Line decoded;
  decoded.file = StringField(line, "file");
  if (decoded.file.empty()) Bad("no \"file\"");
  decoded.key = StringField(line, "id");
  if (!line.contains("id")) {
    if (line.contains("record")) Bad("a record without \"id\"");
    decoded.declaration = true;
    decoded.kind = StringField(line, "kind");
    KindOf(decoded.kind);
    return decoded;
  }
  if (decoded.key.empty()) Bad("empty \"id\"");
  const auto record = line.find("record");
  if (record == line.end() || !record->is_array()) Bad("\"record\" must be an array of attributes");
  for (std::size_t a = 0; a < record->size(); ++a) {
    if (a > 0) decoded.text.push_back(kAttributeMark);
    AppendAttribute((*record)[a], decoded.text, "attribute " + std::to_string(a + 1));
  }
  return decoded;
}

ImportSummary Import(Database& db, std::istream& in) {
  ImportSummary summary;
  Storage& storage = db.storage();
  // Directory files live outside SQLite: their records wait for the commit.
  std::vector<std::pair<Line, long>> deferred;
  db.Transaction([&] {
    std::string text;
    long number = 0;
    while (std::getline(in, text)) {
      ++number;
      if (text.find_first_not_of(" \t\r") == std::string::npos) continue;
      try {
        Line line = DecodeLine(text);
        if (line.declaration) {
          if (!db.FileExists(line.file)) {
            db.CreateFile(line.file, KindOf(line.kind));
            ++summary.filesCreated;
          }
          continue;
        }
        if (!db.FileExists(line.file)) Bad("unknown file " + line.file);
        if (storage.Kind(line.file) == FileKind::kDirectory) {
          dirfile::ValidateKey(line.key);  // refused now, while nothing is written yet
          deferred.emplace_back(std::move(line), number);
        } else {
          storage.Put(line.file, line.key, line.text);
        }
        ++summary.records;
      } catch (const DbError& e) {
        throw DbError(ErrorCode::kBadRecord, "line " + std::to_string(number) + ": " + e.what());
      }
    }
    if (in.bad()) throw DbError(ErrorCode::kIo, "cannot read the import after line " + std::to_string(number));
  });
  for (const auto& [line, number] : deferred) {
    try {
      storage.Put(line.file, line.key, line.text);
    } catch (const DbError& e) {
      throw DbError(e.code(), "line " + std::to_string(number) + ": " + e.what());
    }
  }
  return summary;
}

long Export(Database& db, const std::vector<std::string>& files, std::ostream& out) {
  std::vector<std::string> names;
  if (files.empty()) {
    names = db.FileNames();
  } else {
    for (const auto& file : files) {
      if (!db.FileExists(file)) throw DbError(ErrorCode::kFileNotFound, "file " + file + " does not exist");
      if (db.FileExists("DICT " + file)) names.push_back("DICT " + file);
      names.push_back(file);
    }
  }
  Storage& storage = db.storage();
  long count = 0;
  for (const auto& file : names) {
    json declaration = json::object();
    declaration["file"] = file;
    declaration["kind"] = storage.Kind(file) == FileKind::kDirectory ? "directory" : "hashed";
    out << DumpLine(declaration, "file name " + file) << '\n';
    storage.Scan(file, [&](const std::string& key, const std::string& text) {
      out << EncodeLine(file, key, text) << '\n';
      ++count;
      return true;
    });
  }
  if (!out) throw DbError(ErrorCode::kIo, "cannot write the export");
  return count;
}

}  // namespace mvdb::jsonl
