// Storage: the SQLite file that holds a whole multivalue database, and the
// folders of its directory-type files. Used by Database and the query engine;
// the control never sees it.
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

struct sqlite3;

namespace mvdb {

/// Called inside the write's transaction, before it commits, for every record
/// written or deleted in a hashed file. `before` / `after` are the old and new
/// whole texts (nullopt when the record did not / does not exist). The query
/// engine keeps its secondary indexes in step through this hook; an exception
/// thrown here rolls the write back.
using WriteHook = std::function<void(const std::string& file, const std::string& key,
                                     const std::optional<std::string>& before,
                                     const std::optional<std::string>& after)>;

/// How long a write waits for another process's write to end before it fails
/// with kIo "another write is in progress on <database>". A write transaction
/// takes the database's write lock when it begins, so the wait happens before
/// anything is written, never halfway through.
inline constexpr std::chrono::seconds kWriteWait{60};

class Storage {
 public:
  /// Opens an existing database file. Throws kFileNotFound when it does not
  /// exist, kIo "not a database" when it is not one (an empty file included:
  /// opening never turns a file into a database), kIo with SQLite's message
  /// when it cannot be read. OpenMode::kReadWrite falls back to read-only when
  /// the file or its folder cannot be written. A read-only open of a WAL
  /// database in a read-only folder reads the file as it stands on disk when
  /// no writer left a write-ahead log beside it.
  static std::unique_ptr<Storage> Open(const std::filesystem::path& path, OpenMode mode);
  /// Creates a new database file (WAL mode). Throws kFileExists when the path
  /// exists, kIo when it cannot be created.
  static std::unique_ptr<Storage> Create(const std::filesystem::path& path);
  virtual ~Storage() = default;

  /// Why the database cannot be written ("opened read-only", "its folder ...
  /// is not writable"); empty when it can. Every write of a read-only storage
  /// throws kIo naming the database and this reason.
  virtual const std::string& ReadOnlyReason() const = 0;
  /// How long a write waits for another writer (kWriteWait unless changed).
  virtual void SetWriteWait(std::chrono::milliseconds wait) = 0;

  virtual sqlite3* Handle() = 0;
  virtual bool HasFile(const std::string& file) const = 0;
  virtual FileKind Kind(const std::string& file) const = 0;  ///< throws kFileNotFound
  virtual void CreateFile(const std::string& file, FileKind kind) = 0;
  virtual std::vector<std::string> Files() const = 0;

  /// Whole text of a record, or nullopt when the key is missing. kFileNotFound.
  virtual std::optional<std::string> Get(const std::string& file, const std::string& key) = 0;
  /// Writes a record atomically (transaction / temporary name + rename). When
  /// mustBeNew is true and the key exists, throws kRecordExists and writes nothing.
  /// A directory file's key must name an OS file (kInvalidArgument otherwise).
  virtual void Put(const std::string& file, const std::string& key, std::string_view text,
                   bool mustBeNew = false) = 0;
  virtual void Remove(const std::string& file, const std::string& key) = 0;
  /// Calls fn for every record of the file in ascending key (byte) order;
  /// fn returns false to stop.
  virtual void Scan(const std::string& file,
                    const std::function<bool(const std::string& key, const std::string& text)>& fn) = 0;
  /// As Scan, with each record as stored: a hashed file's record text, a
  /// directory file's OS file byte for byte (a picture, a file dropped in by
  /// hand), which its record text may not give back exactly.
  virtual void ScanStored(const std::string& file,
                          const std::function<bool(const std::string& key, const std::string& bytes)>& fn) = 0;
  /// Writes a record as stored (see ScanStored), replacing any record of that key.
  virtual void PutStored(const std::string& file, const std::string& key, std::string_view bytes) = 0;
  virtual void AddWriteHook(WriteHook hook) = 0;
  /// Runs `work` as one write: every write inside lands or none does, records
  /// of directory files included (a failed transaction puts their files back
  /// as they were). The write lock is taken first, waiting for another writer
  /// as SetWriteWait says. A nested call is a savepoint: its failure undoes its
  /// own writes only. Rethrows what `work` throws.
  virtual void Transaction(const std::function<void()>& work) = 0;
  /// Runs `work` in one read transaction: every read inside sees the same
  /// snapshot and the locks are taken once. Joins an open transaction. A write
  /// inside becomes a savepoint of it and fails with kIo "another write is in
  /// progress" when another connection wrote since the snapshot began.
  /// Rethrows what `work` throws.
  virtual void ReadSnapshot(const std::function<void()>& work) = 0;
};

}  // namespace mvdb
