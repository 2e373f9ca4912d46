// The kinds of multivalue file and the ways to open and create a database:
// what the storage needs from the engine's vocabulary, below database.h.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace mvdb {

/// How a multivalue file keeps its records.
enum class FileKind {
  kHashed,     ///< records in the SQLite database file
  kDirectory,  ///< a real folder: one OS file per record, one line per attribute
};

/// How a database file is opened.
enum class OpenMode {
  /// Reads and writes. When the file or its folder cannot be written (a
  /// read-only folder, a write-protected file), the database is opened
  /// read-only instead and every write fails with kIo saying why.
  kReadWrite,
  /// Reads only: nothing is ever written, no companion file is created where
  /// the folder is read-only, and every write fails with kIo.
  kReadOnly,
};

/// What a new database records in its catalogue.
struct CreateOptions {
  /// The folder of the directory files: file F keeps its records in
  /// <root>/F/. Empty: "<path>.d" for an embedded database; a server
  /// database without one refuses directory-file writes.
  std::filesystem::path directoryRoot;
};

/// Who signs in to a server database. Empty members leave it to libpq: the
/// address's user, else PGUSER, else the login name; a password from
/// ~/.pgpass or PGPASSFILE, or none (peer, certificates). The embedded
/// database ignores them. The password is read only while connecting: nothing
/// keeps it.
struct Credentials {
  std::string user;
  std::string_view password;
};

}  // namespace mvdb
