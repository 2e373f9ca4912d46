// Storage: where a whole multivalue database lives, chosen by its address. A
// file path is the embedded default (one SQLite file); a PostgreSQL address
// (a libpq URI or keyword string) is one schema of a shared server. Used by
// Database and the query engine; the control never sees it.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mvdb/errors.h"
#include "mvdb/file_kind.h"

namespace mvdb {

class IndexTables;
class ServerAccounts;

/// One record written or removed, as a write hook sees it. The views are
/// valid during the hook's call only.
struct RecordChange {
  std::string_view key;
  std::optional<std::string_view> after;  ///< the new whole text; nullopt when removed
};

/// Called inside the write's transaction, before it commits, with the records
/// of one hashed file written or removed together (one record, or a batch of
/// PutMany). The query engine keeps its secondary indexes in step through this
/// hook; an exception thrown here rolls the write back.
using WriteHook = std::function<void(const std::string& file, const std::vector<RecordChange>& changes)>;

/// Called with each record of a scan or batch read; returns false to stop.
using RecordFn = std::function<bool(const std::string& key, const std::string& text)>;

/// A record of a batch write.
struct KeyedRecord {
  std::string key;
  std::string text;
};

/// How long a write waits for another writer of the database to end before it
/// fails with kIo "another write is in progress on <database>". A write
/// transaction takes the database's write lock when it begins, so the wait
/// happens before anything is written, never halfway through.
inline constexpr std::chrono::seconds kWriteWait{60};

class Storage {
 public:
  /// True when the address names a server database: it starts with
  /// "postgresql://" or "postgres://", or its first word is a libpq keyword
  /// setting ("host=...", "dbname=...", ...). Anything else is a file path.
  static bool IsServerAddress(std::string_view address);
  /// Opens an existing database. Throws kFileNotFound when it does not exist
  /// (no such file; no such schema on the server), kIo "not a database" when
  /// it is not one (an empty file included: opening never turns anything into
  /// a database), kIo with the cause when it cannot be reached or read (the
  /// server's own message for a refused connection, an unknown database, ...).
  /// OpenMode::kReadWrite falls back to read-only when the database cannot be
  /// written (a read-only file or folder; a server user without the right:
  /// the directory files, in a folder the server does not guard, can then
  /// still be written). A server that refuses the sign-in throws
  /// kPasswordNeeded or kSignInRefused.
  static std::unique_ptr<Storage> Open(const std::string& address, OpenMode mode,
                                       const Credentials& credentials = {});
  /// Creates a new, empty database. Throws kFileExists when it exists, kIo
  /// when it cannot be created.
  static std::unique_ptr<Storage> Create(const std::string& address, const CreateOptions& options = {});
  virtual ~Storage() = default;

  /// The database as messages name it: the path, or the server address
  /// without its password.
  virtual const std::string& Address() const = 0;
  /// Why the database cannot be written ("opened read-only", "its folder ...
  /// is not writable"); empty when it can. Every write of a read-only storage
  /// throws kIo naming the database and this reason.
  virtual const std::string& ReadOnlyReason() const = 0;
  /// How long a write waits for another writer (kWriteWait unless changed).
  virtual void SetWriteWait(std::chrono::milliseconds wait) = 0;

  virtual bool HasFile(const std::string& file) const = 0;
  virtual FileKind Kind(const std::string& file) const = 0;  ///< throws kFileNotFound
  /// Creates a file (a directory file also gets its folder). kFileExists;
  /// kIo for a directory file of a database without a directory-file folder.
  virtual void CreateFile(const std::string& file, FileKind kind) = 0;
  /// Every file, in name (byte) order.
  virtual std::vector<std::string> Files() const = 0;
  /// The folder of a directory file's records, "<root>/<file>"; empty when the
  /// database has no folder for directory files.
  virtual std::filesystem::path DirectoryFolder(const std::string& file) const = 0;

  /// Whole text of a record, or nullopt when the key is missing. kFileNotFound.
  virtual std::optional<std::string> Get(const std::string& file, const std::string& key) = 0;
  /// Reads many records at once (a server is asked in a few large requests):
  /// calls fn for each of `keys` that the file holds, in ascending key order.
  /// `keys` must be ascending, without repeats.
  virtual void GetMany(const std::string& file, const std::vector<std::string>& keys, const RecordFn& fn) = 0;
  /// Says that this record of a hashed file was read inside the open read
  /// snapshot (by a scan, say): a server storage keeps it for the look-ups
  /// of the rest of the snapshot, which then cost no request; other storages
  /// and other moments ignore it.
  virtual void Remember(const std::string& file, const std::string& key, const std::string& text) = 0;
  /// Writes a record atomically (transaction / temporary name + rename). When
  /// mustBeNew is true and the key exists, throws kRecordExists and writes nothing.
  /// A directory file's key must name an OS file (kInvalidArgument otherwise).
  virtual void Put(const std::string& file, const std::string& key, std::string_view text,
                   bool mustBeNew = false) = 0;
  /// Writes many records in one transaction, in large batches on a server;
  /// as Put for each record in turn (a key given twice keeps its last text).
  /// kInvalidArgument for an empty key: nothing is written then.
  virtual void PutMany(const std::string& file, const std::vector<KeyedRecord>& records) = 0;
  virtual void Remove(const std::string& file, const std::string& key) = 0;
  /// Calls fn for every record of the file in ascending key (byte) order; fn
  /// returns false to stop. The records come in large batches; fn may read
  /// (any file) while the scan runs. Outside a transaction the scan runs in
  /// its own read snapshot, where fn cannot write.
  virtual void Scan(const std::string& file, const RecordFn& fn) = 0;
  /// As Scan, with each record as stored: a hashed file's record text, a
  /// directory file's OS file byte for byte (a picture, a file dropped in by
  /// hand), which its record text may not give back exactly.
  virtual void ScanStored(const std::string& file, const RecordFn& fn) = 0;
  /// Writes a record as stored (see ScanStored), replacing any record of that key.
  virtual void PutStored(const std::string& file, const std::string& key, std::string_view bytes) = 0;
  virtual void AddWriteHook(WriteHook hook) = 0;
  /// Runs `work` as one write: every write inside lands or none does, records
  /// of directory files included (a failed transaction puts their files back
  /// as they were). The write lock is taken first, waiting for another writer
  /// as SetWriteWait says. A nested call is a savepoint: its failure undoes its
  /// own writes only. Inside a ReadSnapshot it fails with kIo "cannot write
  /// inside a read snapshot". Rethrows what `work` throws.
  virtual void Transaction(const std::function<void()>& work) = 0;
  /// Runs `work` in one read-only transaction: every read inside sees the same
  /// state of the database while others go on writing (readers never wait for
  /// a writer), and locks are taken once. Joins an open transaction. Writes of
  /// hashed files inside fail (see Transaction). Rethrows what `work` throws.
  virtual void ReadSnapshot(const std::function<void()>& work) = 0;

  /// The tables of the query engine's secondary indexes in this database.
  virtual IndexTables& Indexes() = 0;
  /// The users side of a server database (server_accounts.h); null for an
  /// embedded database. Owned by the storage.
  virtual ServerAccounts* Accounts() { return nullptr; }
};

}  // namespace mvdb
