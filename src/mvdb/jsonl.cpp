// JSON Lines import and export with nlohmann-json.
#include "mvdb/jsonl.h"

#include <algorithm>
#include <cstdint>
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

constexpr std::string_view kBase64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string ToBase64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t chunk = 0;
    for (std::size_t k = 0; k < 3; ++k)
      chunk = chunk << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    for (std::size_t k = 0; k < 4; ++k) out += k <= n ? kBase64[(chunk >> (18 - 6 * k)) & 63] : '=';
  }
  return out;
}

std::string FromBase64(std::string_view text, const char* field) {
  if (text.size() % 4 != 0) Bad(std::string("\"") + field + "\" is not base64 (its length is not a multiple of 4)");
  std::string out;
  out.reserve(text.size() / 4 * 3);
  for (std::size_t i = 0; i < text.size(); i += 4) {
    std::uint32_t chunk = 0;
    int padding = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      const char c = text[i + k];
      const std::size_t digit = kBase64.find(c);
      const bool pad = c == '=' && i + 4 == text.size() && k >= 2 && (k == 3 || text[i + 3] == '=');
      if (digit == std::string_view::npos && !pad)
        Bad(std::string("\"") + field + "\" is not base64 (character " + std::to_string(i + k + 1) + ")");
      padding += pad;
      chunk = chunk << 6 | (pad ? 0u : static_cast<std::uint32_t>(digit));
    }
    for (int k = 0; k < 3 - padding; ++k) out += static_cast<char>((chunk >> (16 - 8 * k)) & 0xFF);
  }
  return out;
}

/// A text field, or its base64 twin "<name>_base64", decoded.
std::string TextOrBase64(const json& line, const char* name, bool& fromBase64) {
  const std::string twin = std::string(name) + "_base64";
  fromBase64 = line.contains(twin);
  if (fromBase64 && line.contains(name)) Bad(std::string("both \"") + name + "\" and \"" + twin + "\"");
  return fromBase64 ? FromBase64(StringField(line, twin.c_str()), twin.c_str()) : StringField(line, name);
}

std::string Dump(const json& line) { return line.dump(-1, ' ', false, json::error_handler_t::strict); }

/// Sets "<name>" to text when it is UTF-8, else "<name>_base64".
void SetText(json& line, const std::string& name, const std::string& text) {
  try {
    json probe = text;
    (void)Dump(probe);
    line[name] = std::move(probe);
  } catch (const json::exception&) {
    line[name + "_base64"] = ToBase64(text);
  }
}

}  // namespace

std::string EncodeLine(const std::string& file, const std::string& key, std::string_view stored, FileKind kind) {
  json line = json::object();
  line["file"] = file;
  SetText(line, "id", key);
  // A directory file's bytes travel as a record only when its record text
  // writes them back exactly.
  const bool directory = kind == FileKind::kDirectory;
  const std::string text = directory ? dirfile::DecodeRecord(key, stored) : std::string(stored);
  if (!directory || dirfile::EncodeRecord(key, text) == stored) {
    line["record"] = RecordToJson(text);
    try {
      return Dump(line);
    } catch (const json::exception&) {  // not UTF-8
      line.erase("record");
    }
  }
  line["record_base64"] = ToBase64(stored);
  return Dump(line);
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
  bool keyInBase64 = false;
  decoded.key = TextOrBase64(line, "id", keyInBase64);
  if (!line.contains("id") && !keyInBase64) {
    if (line.contains("record") || line.contains("record_base64")) Bad("a record without \"id\"");
    decoded.declaration = true;
    decoded.kind = StringField(line, "kind");
    KindOf(decoded.kind);
    return decoded;
  }
  if (decoded.key.empty()) Bad("empty \"id\"");
  if (line.contains("record_base64")) {
    decoded.text = TextOrBase64(line, "record", decoded.stored);
    return decoded;
  }
  const auto record = line.find("record");
  if (record == line.end() || !record->is_array()) Bad("\"record\" must be an array of attributes");
  for (std::size_t a = 0; a < record->size(); ++a) {
    if (a > 0) decoded.text.push_back(kAttributeMark);
    AppendAttribute((*record)[a], decoded.text, "attribute " + std::to_string(a + 1));
  }
  return decoded;
}

namespace {

// Records of a hashed file written at most in one batch by an import.
constexpr std::size_t kImportBatch = 2000;
constexpr std::size_t kImportBatchBytes = 16 << 20;

/// The hashed-file records of an import, written in batches of one file.
class PendingRecords {
 public:
  explicit PendingRecords(Storage& storage) : storage_(storage) {}

  void Add(const std::string& file, std::string key, std::string text, long line) {
    if (file != file_ || records_.size() >= kImportBatch || bytes_ >= kImportBatchBytes) Flush();
    file_ = file;
    if (records_.empty()) firstLine_ = line;
    lastLine_ = line;
    bytes_ += key.size() + text.size();
    records_.push_back(KeyedRecord{std::move(key), std::move(text)});
  }

  void Flush() {
    if (records_.empty()) return;
    try {
      storage_.PutMany(file_, records_);
    } catch (const DbError& e) {
      throw DbError(e.code(), "lines " + std::to_string(firstLine_) + "-" + std::to_string(lastLine_) + ": " +
                                  e.what());
    }
    records_.clear();
    bytes_ = 0;
  }

 private:
  Storage& storage_;
  std::string file_;
  std::vector<KeyedRecord> records_;
  std::size_t bytes_ = 0;
  long firstLine_ = 0;
  long lastLine_ = 0;
};

}  // namespace

ImportSummary Import(Database& db, std::istream& in) {
  ImportSummary summary;
  Storage& storage = db.storage();
  db.Transaction([&] {
    // Records of hashed files are written in batches (a server gets a few
    // large statements). Directory files live outside the database: their
    // records are written once every line has been read and checked, still
    // inside the transaction, which puts their files back when anything fails.
    PendingRecords pending(storage);
    std::vector<std::pair<Line, long>> deferred;
    std::string text;
    long number = 0;
    while (std::getline(in, text)) {
      ++number;
      if (text.find_first_not_of(" \t\r") == std::string::npos) continue;
      try {
        Line line = DecodeLine(text);
        if (line.declaration) {
          if (!db.FileExists(line.file)) {
            pending.Flush();
            db.CreateFile(line.file, KindOf(line.kind));
            ++summary.filesCreated;
          }
          continue;
        }
        if (!db.FileExists(line.file)) Bad("unknown file " + line.file);
        if (storage.Kind(line.file) == FileKind::kDirectory) {
          dirfile::ValidateKey(line.key);
          deferred.emplace_back(std::move(line), number);
        } else {
          pending.Add(line.file, std::move(line.key), std::move(line.text), number);
        }
        ++summary.records;
      } catch (const DbError& e) {
        throw DbError(e.code() == ErrorCode::kIo ? ErrorCode::kIo : ErrorCode::kBadRecord,
                      "line " + std::to_string(number) + ": " + e.what());
      }
    }
    if (in.bad()) throw DbError(ErrorCode::kIo, "cannot read the import after line " + std::to_string(number));
    pending.Flush();
    for (const auto& [line, at] : deferred) {
      try {
        if (line.stored) {
          storage.PutStored(line.file, line.key, line.text);
        } else {
          storage.Put(line.file, line.key, line.text);
        }
      } catch (const DbError& e) {
        throw DbError(e.code(), "line " + std::to_string(at) + ": " + e.what());
      }
    }
  });
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
  db.ReadSnapshot([&] {
    for (const auto& file : names) {
      const FileKind kind = storage.Kind(file);
      json declaration = json::object();
      declaration["file"] = file;
      declaration["kind"] = kind == FileKind::kDirectory ? "directory" : "hashed";
      try {
        out << Dump(declaration) << '\n';
      } catch (const json::exception& e) {
        Bad("the name of file " + file + " is not UTF-8: it cannot be exported (" + e.what() + ")");
      }
      storage.ScanStored(file, [&](const std::string& key, const std::string& bytes) {
        out << EncodeLine(file, key, bytes, kind) << '\n';
        ++count;
        return static_cast<bool>(out);
      });
      if (!out) throw DbError(ErrorCode::kIo, "cannot write the export");
    }
  });
  return count;
}

}  // namespace mvdb::jsonl
