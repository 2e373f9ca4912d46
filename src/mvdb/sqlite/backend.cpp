// The embedded backend: one SQLite file holds the whole database (WAL mode,
// synchronous NORMAL, each page checked as it is read). Tables:
//   mv_files(id, name, kind)   the catalogue, kind "H" (hashed) or "D" (directory)
//   mv_settings(name, value)   "directory_root" when the database was created
//                              with one (older files have no such table)
//   mvf_<id>(key, record)      one table per hashed file, key TEXT PRIMARY KEY
//                              (byte order), record BLOB (the whole text)
// Directory files keep their records in "<database>.d/<FILE>/" unless a
// directory root was given at creation.
#include <sqlite3.h>
#include <unistd.h>

#include <unordered_map>

#include "mvdb/sql_backend.h"
#include "mvdb/sqlite/index_tables.h"
#include "mvdb/sqlite/statement.h"

namespace mvdb::sqlite {
namespace {

class SqliteBackend final : public SqlBackend {
 public:
  SqliteBackend(std::filesystem::path path, sqlite3* db)
      : path_(std::move(path)), address_(path_.string()), db_(db), indexes_(db, statements_) {
    sqlite3_extended_result_codes(db_, 1);
    SetWriteWait(kWriteWait);
    // Checks each page as it is read: a damaged file fails with SQLite's
    // "database disk image is malformed" at the first read that meets it.
    sqlite3_exec(db_, "PRAGMA cell_size_check=ON", nullptr, nullptr, nullptr);
    // Pages are read in place from a read-only mapping of the file (its first
    // gigabyte) rather than copied by a system call each: a scan of a large
    // file costs a third less. SQLite's writes still go through write(); a
    // file cut short by a program outside the engine while it is read would
    // end this process (SIGBUS) instead of failing one read.
    sqlite3_exec(db_, "PRAGMA mmap_size=1073741824", nullptr, nullptr, nullptr);
  }
  ~SqliteBackend() override {
    statements_.Clear();
    sqlite3_close_v2(db_);
  }

  /// Throws kIo "not a database" unless the file holds the file catalogue.
  void CheckCatalogue() {
    std::error_code ec;
    if (std::filesystem::file_size(path_, ec) == 0 && !ec)
      throw DbError(ErrorCode::kIo, "not a database (the file is empty)");
    if (!HasTable("mv_files")) throw DbError(ErrorCode::kIo, "not a database of this engine (no file catalogue)");
  }

  void UseWriteAheadLog() {
    sql::Exec(db_, "PRAGMA journal_mode=WAL");
    sql::Exec(db_, "PRAGMA synchronous=NORMAL");
  }

  void CreateCatalogue(const CreateOptions& options) {
    UseWriteAheadLog();
    sql::Exec(db_,
              "CREATE TABLE mv_files(id INTEGER PRIMARY KEY, name TEXT UNIQUE NOT NULL, kind TEXT NOT NULL);"
              "CREATE TABLE mv_settings(name TEXT PRIMARY KEY, value BLOB NOT NULL)");
    if (!options.directoryRoot.empty()) {
      sql::Statement set(db_, "INSERT INTO mv_settings(name, value) VALUES('directory_root', ?1)");
      set.BindBlob(1, options.directoryRoot.string());
      set.Step();
    }
  }

  const std::string& Address() const override { return address_; }

  std::filesystem::path DirectoryRoot() override {
    if (HasTable("mv_settings")) {
      sql::Statement get(db_, "SELECT value FROM mv_settings WHERE name = 'directory_root'");
      if (get.Step()) return std::filesystem::path(get.Column(0));
    }
    return std::filesystem::path(path_.string() + ".d");
  }

  void SetWriteWait(std::chrono::milliseconds wait) override {
    sqlite3_busy_timeout(db_, static_cast<int>(wait.count()));
  }

  // The write lock is taken as the transaction begins: a second writer waits
  // before it has written anything.
  void BeginWrite() override { Run("BEGIN IMMEDIATE"); }
  void BeginSnapshot() override { Run("BEGIN"); }
  void Commit() override { Run("COMMIT"); }
  void Rollback() noexcept override {
    try {
      if (!sqlite3_get_autocommit(db_)) Run("ROLLBACK");
    } catch (...) {
    }
  }
  void Savepoint() override { Run("SAVEPOINT mvdb_nested"); }
  void ReleaseSavepoint() override { Run("RELEASE mvdb_nested"); }
  void RollbackToSavepoint() noexcept override {
    try {
      Run("ROLLBACK TO mvdb_nested");
      Run("RELEASE mvdb_nested");
    } catch (...) {
    }
  }

  std::vector<CatalogueRow> Catalogue() override {
    std::vector<CatalogueRow> rows;
    sql::Statement list(db_, "SELECT id, name, kind FROM mv_files");
    while (list.Step()) {
      const FileKind kind = list.Column(2) == "D" ? FileKind::kDirectory : FileKind::kHashed;
      rows.push_back(CatalogueRow{list.Column(1), kind, "mvf_" + std::to_string(list.ColumnInt(0))});
    }
    return rows;
  }

  void AddFile(const std::string& name, FileKind kind) override {
    {
      sql::Statement insert(db_, "INSERT INTO mv_files(name, kind) VALUES(?1, ?2)");
      insert.BindText(1, name);
      insert.BindText(2, kind == FileKind::kHashed ? "H" : "D");
      insert.Step();
    }
    if (kind == FileKind::kHashed)
      sql::Exec(db_, "CREATE TABLE mvf_" + std::to_string(sqlite3_last_insert_rowid(db_)) +
                         "(key TEXT PRIMARY KEY NOT NULL, record BLOB NOT NULL) WITHOUT ROWID");
  }

  std::optional<std::string> Read(const std::string& table, const std::string& key) override {
    sql::Statement get(db_, statements_.Get(db_, "SELECT record FROM " + table + " WHERE key=?1"));
    get.BindText(1, key);
    if (!get.Step()) return std::nullopt;
    return get.Column(0);
  }

  std::size_t ReadAhead() const override { return 0; }

  void ReadFrom(const std::string& table, const std::string& key, std::size_t limit, const RecordFn& fn) override {
    sql::Statement from(db_, "SELECT key, record FROM " + table + " WHERE key >= ?1 ORDER BY key LIMIT " +
                                 std::to_string(limit));
    from.BindText(1, key);
    while (from.Step()) {
      if (!fn(from.Column(0), from.Column(1))) return;
    }
  }

  void ReadMany(const std::string& table, const std::vector<std::string>& keys, const RecordFn& fn) override {
    // One cursor walks the table forward: the next key wanted is reached by
    // stepping over the few records before it, or by seeking again when it
    // lies further on. After a seek a single step is tried first, so that
    // keys far apart cost little more than a look-up each. A fresh
    // statement: fn may read this file meanwhile.
    if (keys.empty()) return;
    sql::Statement walk(db_, "SELECT key, record FROM " + table + " WHERE key >= ?1 ORDER BY key");
    bool placed = false;  // the cursor stands on a record, at or below the next key
    int budget = 1;       // steps to try before seeking
    std::string current;  // its key, copied: fn may use the connection before the next step
    std::string record;   // reused: no allocation per record
    for (const std::string& key : keys) {
      for (int steps = 0; placed && current < key && steps < budget; ++steps) {
        if (!walk.Step()) return;  // past the last record: none of the keys left is held
        current.assign(walk.ColumnText(0));
      }
      budget = kStepsBeforeSeek;
      if (!placed || current < key) {
        walk.Reset();
        walk.BindText(1, key);
        if (!walk.Step()) return;
        current.assign(walk.ColumnText(0));
        placed = true;
        budget = 1;
      }
      if (current != key) continue;
      record.assign(walk.ColumnText(1));
      if (!fn(key, record)) return;
    }
  }

  void Write(const std::string& table, const std::string& key, std::string_view bytes) override {
    sql::Statement upsert(db_, statements_.Get(db_, "INSERT INTO " + table +
                                                        "(key, record) VALUES(?1, ?2) ON CONFLICT(key) DO UPDATE "
                                                        "SET record=excluded.record"));
    upsert.BindText(1, key);
    upsert.BindBlob(2, bytes);
    upsert.Step();
  }

  bool WriteNew(const std::string& table, const std::string& key, std::string_view bytes) override {
    sql::Statement insert(
        db_, statements_.Get(db_, "INSERT INTO " + table + "(key, record) VALUES(?1, ?2) ON CONFLICT(key) DO NOTHING"));
    insert.BindText(1, key);
    insert.BindBlob(2, bytes);
    insert.Step();
    return sqlite3_changes(db_) > 0;
  }

  void WriteMany(const std::string& table, const std::vector<const KeyedRecord*>& records) override {
    for (const KeyedRecord* record : records) Write(table, record->key, record->text);
  }

  void Erase(const std::string& table, const std::string& key) override {
    sql::Statement remove(db_, statements_.Get(db_, "DELETE FROM " + table + " WHERE key=?1"));
    remove.BindText(1, key);
    remove.Step();
  }

  void ScanTable(const std::string& table, const RecordFn& fn) override {
    // A fresh statement: fn may read this file while the scan runs.
    sql::Statement scan(db_, "SELECT key, record FROM " + table + " ORDER BY key");
    std::string key, record;  // reused: no allocation per record
    while (scan.Step()) {
      key.assign(scan.ColumnText(0));
      record.assign(scan.ColumnText(1));
      if (!fn(key, record)) return;
    }
  }

  IndexTables& Indexes() override { return indexes_; }

 private:
  bool HasTable(const char* name) {
    sql::Statement check(db_, "SELECT count(*) FROM sqlite_master WHERE type='table' AND name=?1");
    check.BindText(1, name);
    return check.Step() && check.ColumnInt(0) > 0;
  }

  void Run(const std::string& sqlText) {
    sql::Statement stmt(db_, statements_.Get(db_, sqlText));
    stmt.Step();
  }

  /// Records ReadMany steps over before it seeks the next key instead.
  static constexpr int kStepsBeforeSeek = 4;

  std::filesystem::path path_;
  std::string address_;
  sqlite3* db_;
  sql::StatementCache statements_;
  SqliteIndexTables indexes_;
};

/// The file: URI of a path, with the characters URIs reserve escaped.
std::string UriOf(const std::filesystem::path& path, const char* parameters) {
  std::string uri = "file:";
  for (char c : std::filesystem::absolute(path).string()) {
    if (c == '%' || c == '?' || c == '#') {
      static const char* const kHex = "0123456789ABCDEF";
      uri += '%';
      uri += kHex[(static_cast<unsigned char>(c) >> 4) & 0xF];
      uri += kHex[static_cast<unsigned char>(c) & 0xF];
    } else {
      uri += c;
    }
  }
  return uri + "?" + parameters;
}

std::unique_ptr<SqliteBackend> Connect(const std::filesystem::path& path, const std::string& uri, int flags) {
  sqlite3* db = nullptr;
  // One thread uses a connection at a time (see Database): no mutex of its own.
  if (sqlite3_open_v2(uri.c_str(), &db, flags | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
    const std::string message = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close_v2(db);
    throw DbError(ErrorCode::kIo, "cannot open database " + path.string() + ": " + message);
  }
  return std::make_unique<SqliteBackend>(path, db);
}

/// Why the database cannot be opened for writing; empty when it can.
std::string WhyNotWritable(const std::filesystem::path& path) {
  const std::filesystem::path folder = std::filesystem::absolute(path).parent_path();
  if (::access(folder.c_str(), W_OK) != 0) return "its folder " + folder.string() + " is not writable";
  if (::access(path.c_str(), W_OK) != 0) return "the file " + path.string() + " is not writable";
  return {};
}

/// Opens for reading only. SQLite reads a WAL database read-only when it can
/// create or use the -shm and -wal files beside it; in a read-only folder
/// without them the file is read as immutable, which is exact when no
/// write-ahead log holds transactions the file lacks.
std::unique_ptr<SqliteBackend> OpenReadOnly(const std::filesystem::path& path) {
  auto backend = Connect(path, UriOf(path, "mode=ro"), SQLITE_OPEN_READONLY);
  try {
    backend->CheckCatalogue();
    return backend;
  } catch (const DbError&) {
    std::error_code ec;
    const auto log = std::filesystem::path(path.string() + "-wal");
    const bool cannotUseLog = ::access(std::filesystem::absolute(path).parent_path().c_str(), W_OK) != 0;
    if (!cannotUseLog) throw;
    if (std::filesystem::exists(log, ec) && std::filesystem::file_size(log, ec) > 0)
      throw DbError(ErrorCode::kIo, "cannot read database " + path.string() + ": its folder is read-only and " +
                                        log.string() + " holds writes not yet in the file");
  }
  backend = Connect(path, UriOf(path, "immutable=1"), SQLITE_OPEN_READONLY);
  backend->CheckCatalogue();
  return backend;
}

}  // namespace

std::unique_ptr<SqlBackend> OpenFile(const std::filesystem::path& path, OpenMode mode, std::string& readOnlyReason) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec))
    throw DbError(ErrorCode::kFileNotFound, "database " + path.string() + " does not exist");
  try {
    readOnlyReason = mode == OpenMode::kReadOnly ? "opened read-only" : WhyNotWritable(path);
    if (!readOnlyReason.empty()) return OpenReadOnly(path);
    auto backend = Connect(path, UriOf(path, "mode=rw"), SQLITE_OPEN_READWRITE);
    backend->CheckCatalogue();  // before anything is written: a file that is not a database stays as it is
    backend->UseWriteAheadLog();
    return backend;
  } catch (const DbError& e) {
    const std::string message = e.what();
    if (message.find(path.string()) != std::string::npos) throw;  // the message names the database already
    throw DbError(e.code(), "cannot open database " + path.string() + ": " + message);
  }
}

std::unique_ptr<SqlBackend> CreateFile(const std::filesystem::path& path, const CreateOptions& options) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec))
    throw DbError(ErrorCode::kFileExists, "database " + path.string() + " already exists");
  auto backend = Connect(path, UriOf(path, "mode=rwc"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  backend->CreateCatalogue(options);
  return backend;
}

}  // namespace mvdb::sqlite
