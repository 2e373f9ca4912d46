// Storage: the SQLite file that holds a whole multivalue database, and the
// folders of its directory-type files. Used by Database and the query engine;
// the control never sees it.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mvdb/database.h"

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

class Storage {
 public:
  /// Opens (create = false) or creates the database file; WAL mode, busy
  /// timeout, foreign catalogue tables created on first use. Throws DbError.
  static std::unique_ptr<Storage> Open(const std::filesystem::path& path, bool create);
  virtual ~Storage() = default;

  virtual sqlite3* Handle() = 0;
  virtual bool HasFile(const std::string& file) const = 0;
  virtual FileKind Kind(const std::string& file) const = 0;  ///< throws kFileNotFound
  virtual void CreateFile(const std::string& file, FileKind kind) = 0;
  virtual std::vector<std::string> Files() const = 0;

  /// Whole text of a record, or nullopt when the key is missing. kFileNotFound.
  virtual std::optional<std::string> Get(const std::string& file, const std::string& key) = 0;
  /// Writes a record atomically (transaction / temporary name + rename). When
  /// mustBeNew is true and the key exists, throws kRecordExists and writes nothing.
  virtual void Put(const std::string& file, const std::string& key, std::string_view text,
                   bool mustBeNew = false) = 0;
  virtual void Remove(const std::string& file, const std::string& key) = 0;
  /// Calls fn for every record of the file in ascending key (byte) order;
  /// fn returns false to stop.
  virtual void Scan(const std::string& file,
                    const std::function<bool(const std::string& key, const std::string& text)>& fn) = 0;
  virtual void AddWriteHook(WriteHook hook) = 0;
  /// Nested calls join the outer transaction; an exception rolls back the outermost.
  virtual void Transaction(const std::function<void()>& work) = 0;
  /// Runs `work` in one read transaction: every read inside sees the same
  /// snapshot and the locks are taken once. Joins an open transaction. A write
  /// inside becomes a savepoint of it and may fail with kBusy when another
  /// connection wrote since the snapshot began. Rethrows what `work` throws.
  virtual void ReadSnapshot(const std::function<void()>& work) = 0;
};

}  // namespace mvdb
