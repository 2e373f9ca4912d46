// Database, DbFile and Client: the operations through which the control reaches
// its multivalue database.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mvdb/dynarray.h"
#include "mvdb/errors.h"
#include "mvdb/file_kind.h"

namespace mvdb {

class Storage;      // where the database lives, see storage.h
class QueryEngine;  // query language and secondary indexes, see query/engine.h
class RoutineRegistry;  // server routines, see routines.h

/// An open file of a database. Cheap to copy; copies share the open file.
/// A default-constructed DbFile is closed: every operation throws kNotOpen.
class DbFile {
 public:
  DbFile();
  /// The file's name as given to DBOpen.
  const std::string& Name() const;
  bool IsOpen() const;

  /// Reads the record with that key, bound to this file and key so that
  /// DBWrite writes it back. Throws DbError kRecordNotFound (0x8004000B) when
  /// the file holds no such key, kNotOpen when closed, kIo on storage failure.
  DynArray DBRead(const std::string& key) const;
  /// As DBRead, but a missing key (the empty key included) is nullopt, not an
  /// error; every other failure still throws.
  std::optional<DynArray> Find(const std::string& key) const;
  /// A new empty record bound to this file and key (nothing is written yet).
  DynArray DBNew(const std::string& key) const;
  /// True when the file holds that key (no exception for a missing key).
  bool Exists(const std::string& key) const;
  /// Removes the record; a missing key is not an error.
  void DBDelete(const std::string& key) const;
  /// Releases the handle; later operations throw kNotOpen.
  void Close();

  struct Impl;
  explicit DbFile(std::shared_ptr<Impl> impl);

 private:
  std::shared_ptr<Impl> impl_;
};

/// The database client handed around by the host: who is connected to which
/// database. Holds no resources.
class Client {
 public:
  Client() = default;
  Client(std::string user, std::filesystem::path database)
      : user_(std::move(user)), database_(std::move(database)) {}
  const std::string& User() const { return user_; }
  const std::filesystem::path& DatabasePath() const { return database_; }

 private:
  std::string user_;
  std::filesystem::path database_;
};

/// One multivalue database: an embedded SQLite file (plus a folder beside it
/// for directory-type files), or one schema of a PostgreSQL server shared by
/// an office (see Storage::IsServerAddress). Not thread-safe: one Database per
/// thread; several processes may open the same database at once.
class Database {
 public:
  /// Opens an existing database by its address: a file path, or a server
  /// address ("postgresql://host/dbname?schema=name", "host=... dbname=...").
  /// Throws DbError kFileNotFound when it does not exist; kIo when it is not a
  /// database (an empty file stays as it is), when it is damaged (SQLite's
  /// message, "database disk image is malformed"), when the server cannot be
  /// reached (its message: connection refused, unknown database, timeout), or
  /// cannot be read; kPasswordNeeded or kSignInRefused when the server refuses
  /// the sign-in (`credentials`: who signs in, see file_kind.h). kReadWrite
  /// falls back to read-only when the database cannot be written (see
  /// ReadOnlyReason).
  static std::unique_ptr<Database> Open(const std::string& address, OpenMode mode = OpenMode::kReadWrite,
                                        const Credentials& credentials = {});
  /// Creates a new, empty database (and its directory-file folder: "<file>.d"
  /// by default, or options.directoryRoot). Throws kFileExists when the file
  /// or the server's schema already exists.
  static std::unique_ptr<Database> Create(const std::string& address, const CreateOptions& options = {});
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  /// The address the database was opened with.
  const std::filesystem::path& Path() const;
  /// The folder holding the records of a directory file ("<root>/<file>");
  /// empty when the database keeps no folder for directory files.
  std::filesystem::path DirectoryFolder(const std::string& fileName) const;
  /// The folder holding every directory file's folder; empty when the
  /// database keeps none. Outputs must never be written inside it.
  std::filesystem::path DirectoryRoot() const;
  /// Why this database cannot be written; empty when it can. Every write of a
  /// read-only database throws kIo naming the database and this reason.
  const std::string& ReadOnlyReason() const;

  /// Opens a file by name. Throws kFileNotFound naming the file when it was
  /// never created.
  DbFile DBOpen(const std::string& fileName);

  /// Runs a selection. `request` is the whole text of a DynArray whose attribute
  /// 1 is the query text ("SSELECT FILE AVEC ... PAR ..."), attribute 2 the file
  /// name (may be empty: the query names the file) and attribute 3 the attribute
  /// numbers to return separated by blanks ("0 1 2 3 29"; 0 is the key; empty
  /// means the key alone). `variant` is ignored; `count` receives the number of
  /// selected records. The result list has row i = attribute i and column j =
  /// value j (the j-th listed attribute of the i-th record, in sort order);
  /// empty text when nothing was selected. Throws kQuerySyntax / kUnknownField
  /// with the position and what was expected, kFileNotFound for an unknown file.
  DynArray DBSelect(const std::string& request, const std::string& variant, long& count);

  /// Calls the server routine registered under `routine` with `arguments` (the
  /// whole text of a DynArray). `status` receives 0 on success. Throws
  /// kUnknownRoutine naming the routine, or what the routine throws.
  DynArray DBCall(const std::string& routine, std::int32_t& status, const std::string& arguments);

  // ---- administration (the mvdb tool, the demo generator, tests) ----

  /// Creates a file of that kind with an empty dictionary. Throws kFileExists.
  void CreateFile(const std::string& fileName, FileKind kind = FileKind::kHashed);
  bool FileExists(const std::string& fileName) const;
  std::vector<std::string> FileNames() const;
  /// (Re)builds the secondary index of a dictionary field of that file, and
  /// keeps it in step with every later write. Throws kUnknownField.
  void CreateIndex(const std::string& fileName, const std::string& field);
  /// Runs `work` in one transaction: every write inside it lands, or none does.
  void Transaction(const std::function<void()>& work);
  /// Runs `work` in one read transaction: the records and selections read
  /// inside all come from one state of the database, and the many reads of a
  /// long walk take the database's locks once. Others may write meanwhile;
  /// their writes show after it ends. Rethrows what `work` throws.
  void ReadSnapshot(const std::function<void()>& work);

  Storage& storage();
  QueryEngine& queries();
  /// The routines DBCall runs. The engine registers none: each program
  /// registers its own after opening the database.
  RoutineRegistry& routines();

  struct Impl;  // internal

 private:
  Database();
  std::unique_ptr<Impl> impl_;
};

}  // namespace mvdb
