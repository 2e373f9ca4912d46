// SqlBackend: what a storage needs from its SQL database, below the logic
// every storage shares (catalogue, directory files, write hooks, transaction
// levels: sql_storage.cpp). One backend per client library: SQLite for a
// database file (sqlite/), PostgreSQL for a server (postgres/). Internal to
// the engine.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mvdb/file_kind.h"
#include "mvdb/storage.h"

namespace mvdb {

/// A file of the catalogue and the table of its records (hashed files).
struct CatalogueRow {
  std::string name;
  FileKind kind = FileKind::kHashed;
  std::string table;
};

/// Tables, as every backend has them:
///   mv_files(id, name, kind)  the catalogue: kind "H" (hashed) or "D" (directory)
///   mv_settings(name, value)  settings of the database ("directory_root")
///   mvf_<id>(key, record)     the records of a hashed file, keys in byte order
/// Every failure throws DbError kIo with the database's own message, worded
/// for people when the cause is known (another writer, damage, a lost
/// connection).
class SqlBackend {
 public:
  virtual ~SqlBackend() = default;

  /// The database as messages name it.
  virtual const std::string& Address() const = 0;
  /// The folder of the directory files; empty when the database has none.
  virtual std::filesystem::path DirectoryRoot() = 0;
  virtual void SetWriteWait(std::chrono::milliseconds wait) = 0;

  /// Opens a write transaction holding the database's write lock, waiting for
  /// another writer as SetWriteWait says. On failure no transaction is left open.
  virtual void BeginWrite() = 0;
  /// Opens a read-only transaction that reads one state of the database.
  virtual void BeginSnapshot() = 0;
  virtual void Commit() = 0;
  /// Ends the open transaction undoing its writes; never throws.
  virtual void Rollback() noexcept = 0;
  virtual void Savepoint() = 0;
  virtual void ReleaseSavepoint() = 0;
  /// Undoes the writes since the innermost savepoint and ends it; never throws.
  virtual void RollbackToSavepoint() noexcept = 0;

  /// Every file of the catalogue.
  virtual std::vector<CatalogueRow> Catalogue() = 0;
  /// Adds a file to the catalogue, with its table for a hashed file.
  virtual void AddFile(const std::string& name, FileKind kind) = 0;

  virtual std::optional<std::string> Read(const std::string& table, const std::string& key) = 0;
  /// How many records a read snapshot reads at once from the key it looks
  /// up (and keeps until it ends); 0 for no such cache (reads cost no round
  /// trip).
  virtual std::size_t ReadAhead() const = 0;
  /// Calls fn, in key order, for the records whose keys are `key` or above,
  /// at most `limit` of them.
  virtual void ReadFrom(const std::string& table, const std::string& key, std::size_t limit, const RecordFn& fn) = 0;
  /// Calls fn, in key order, for each of the ascending keys that the table holds.
  virtual void ReadMany(const std::string& table, const std::vector<std::string>& keys, const RecordFn& fn) = 0;
  /// Inserts or replaces.
  virtual void Write(const std::string& table, const std::string& key, std::string_view bytes) = 0;
  /// Inserts; false (and nothing written) when the key exists, even when
  /// another connection races for it.
  virtual bool WriteNew(const std::string& table, const std::string& key, std::string_view bytes) = 0;
  /// Inserts or replaces each record (keys distinct).
  virtual void WriteMany(const std::string& table, const std::vector<const KeyedRecord*>& records) = 0;
  virtual void Erase(const std::string& table, const std::string& key) = 0;
  /// Calls fn for each record in key order, fetching in large batches; fn may
  /// use the backend meanwhile. Runs inside an open transaction.
  virtual void ScanTable(const std::string& table, const RecordFn& fn) = 0;

  virtual IndexTables& Indexes() = 0;
  /// The users side of a server (server_accounts.h); null for a file.
  virtual ServerAccounts* Accounts() { return nullptr; }
};

/// The storage over a backend: the logic every storage shares. Directory
/// files are refused writes for `directoryReadOnlyReason`, the rest for
/// `readOnlyReason` (both empty: a database that can be written).
std::unique_ptr<Storage> MakeSqlStorage(std::unique_ptr<SqlBackend> backend, std::string readOnlyReason,
                                        std::string directoryReadOnlyReason);

namespace sqlite {
/// Opens a database file; readOnlyReason receives why it cannot be written.
std::unique_ptr<SqlBackend> OpenFile(const std::filesystem::path& path, OpenMode mode, std::string& readOnlyReason);
/// Creates a database file.
std::unique_ptr<SqlBackend> CreateFile(const std::filesystem::path& path, const CreateOptions& options);
}  // namespace sqlite

namespace postgres {
/// Opens the database of a server address, signing in with `credentials`;
/// readOnlyReason as above.
std::unique_ptr<SqlBackend> OpenServer(const std::string& address, OpenMode mode, const Credentials& credentials,
                                       std::string& readOnlyReason);
/// Creates the database (its schema) at a server address.
std::unique_ptr<SqlBackend> CreateServer(const std::string& address, const CreateOptions& options);
}  // namespace postgres

}  // namespace mvdb
