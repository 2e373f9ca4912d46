// The exchange format: JSON Lines, one record a line.
//   {"file":"PEOPLE","id":"00012","record":["1","DUPONT",["v1","v2"],...]}
// An attribute is a string, or an array of values when it holds several values
// or sub-values; a value is a string, or an array of sub-values. Dictionaries
// are the hashed files "DICT <FILE>" and travel the same way.
// A record that this form cannot carry exactly travels as the base64 of its
// bytes as stored: "record_base64" instead of "record" (a hashed file's record
// text that is not UTF-8; a directory file's OS file, such as a picture or a
// Latin-1 CSV dropped in by hand, whenever its bytes are not exactly what its
// record text writes).
// A key that is not UTF-8 travels as "id_base64" instead of "id".
// A line without a key declares a file: {"file":"REPORTS","kind":"directory"}
// ("kind" "hashed" or "directory"); importing it creates the file when missing.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "mvdb/file_kind.h"

namespace mvdb {
class Database;
}

namespace mvdb::jsonl {

/// What an import did.
struct ImportSummary {
  long records = 0;       ///< records written
  long filesCreated = 0;  ///< files created by declaration lines
};

/// Imports every line of `in` in one transaction: either every record lands,
/// directory files included, or, when anything fails, nothing does (the
/// directory files written are put back as they were). Every line is read and
/// checked (JSON, file, key, record) before a directory file is written. Empty
/// lines are skipped. Throws DbError kBadRecord "line N: ..." for a line that
/// is not JSON, lacks "file", names a file that does not exist, holds a
/// malformed record or a key that cannot name a record (a directory file's key
/// longer than a file name may be, ...); kIo on storage failure, "another write
/// is in progress" when another process held the database for the whole wait.
ImportSummary Import(Database& db, std::istream& in);

/// Writes the named files (every file of the database when `files` is empty;
/// a named file's dictionary is written before it), each as a declaration line
/// followed by its records in key order, all from one state of the database.
/// Every record is written whatever its bytes. Returns the number of record
/// lines. Throws kFileNotFound for an unknown file, kIo when the output fails;
/// what was written to `out` before a failure is not a backup.
long Export(Database& db, const std::vector<std::string>& files, std::ostream& out);

/// One record as a line (without the line end), from the record as stored
/// (see Storage::ScanStored): "record" when that form gives the bytes back
/// exactly, "record_base64" otherwise.
std::string EncodeLine(const std::string& file, const std::string& key, std::string_view stored,
                       FileKind kind = FileKind::kHashed);

/// A decoded line.
struct Line {
  std::string file;
  std::string key;          ///< empty for a declaration line
  std::string text;         ///< "record": the record's whole text; "record_base64": its bytes as stored
  bool stored = false;      ///< true when `text` holds the bytes as stored
  std::string kind;         ///< declaration lines: "hashed" or "directory"
  bool declaration = false;
};
/// Decodes one line; throws kBadRecord saying what is wrong (no line number).
Line DecodeLine(std::string_view line);

}  // namespace mvdb::jsonl
