// The exchange format: JSON Lines, one record a line.
//   {"file":"CIVILAIDANT","id":"00012","record":["1","DUPONT",["v1","v2"],...]}
// An attribute is a string, or an array of values when it holds several values
// or sub-values; a value is a string, or an array of sub-values. Dictionaries
// are the hashed files "DICT <FILE>" and travel the same way.
// A line without "id" declares a file: {"file":"STATAIDANT","kind":"directory"}
// ("kind" "hashed" or "directory"); importing it creates the file when missing.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace mvdb {
class Database;
}

namespace mvdb::jsonl {

/// What an import did.
struct ImportSummary {
  long records = 0;       ///< records written
  long filesCreated = 0;  ///< files created by declaration lines
};

/// Imports every line of `in` in one transaction: either all records land or,
/// when a line fails, nothing does (records of directory files are written only
/// once the transaction has committed). Empty lines are skipped. Throws DbError
/// kBadRecord "line N: ..." for a line that is not JSON, lacks "file", names a
/// file that does not exist, or holds a malformed record; kIo on storage failure.
ImportSummary Import(Database& db, std::istream& in);

/// Writes the named files (every file of the database when `files` is empty;
/// a named file's dictionary is written before it), each as a declaration line
/// followed by its records in key order. Returns the number of record lines.
/// Throws kFileNotFound for an unknown file, kBadRecord for a record that is not
/// valid UTF-8.
long Export(Database& db, const std::vector<std::string>& files, std::ostream& out);

/// One record as a line (without the line end). Throws kBadRecord when the key
/// or the text is not valid UTF-8.
std::string EncodeLine(const std::string& file, const std::string& key, std::string_view text);

/// A decoded line.
struct Line {
  std::string file;
  std::string key;     ///< empty for a declaration line
  std::string text;    ///< the record's whole text
  std::string kind;    ///< declaration lines: "hashed" or "directory"
  bool declaration = false;
};
/// Decodes one line; throws kBadRecord saying what is wrong (no line number).
Line DecodeLine(std::string_view line);

}  // namespace mvdb::jsonl
