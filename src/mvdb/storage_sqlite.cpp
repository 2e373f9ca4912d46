// Storage on SQLite. Layout of the database file:
//   mv_files(id, name, kind)   the catalogue: one row per multivalue file,
//                              kind "H" (hashed) or "D" (directory)
//   mvf_<id>(key, record)      one table per hashed file, key TEXT PRIMARY KEY
//                              (byte order), record BLOB (the whole text)
// Directory files keep their records in the folder "<database>.d/<FILE>/".
// The query engine adds its own tables (indexes) through Handle().
#include <sqlite3.h>
#include <unistd.h>

#include <map>
#include <unordered_map>

#include "mvdb/directory_files.h"
#include "mvdb/sqlite_statement.h"
#include "mvdb/storage.h"

namespace mvdb {
namespace {

void ValidateFileName(const std::string& file) {
  if (file.empty() || file.find('\0') != std::string::npos)
    throw DbError(ErrorCode::kInvalidArgument, "a file name must be non-empty text");
}

void ValidateHashedKey(const std::string& file, const std::string& key) {
  if (key.empty()) throw DbError(ErrorCode::kInvalidArgument, "empty key in file " + file);
}

class SqliteStorage final : public Storage {
 public:
  SqliteStorage(std::filesystem::path path, sqlite3* db, std::string readOnlyReason)
      : path_(std::move(path)), db_(db), readOnlyReason_(std::move(readOnlyReason)) {
    sqlite3_extended_result_codes(db_, 1);
    SetWriteWait(kWriteWait);
    // Checks each page as it is read: a damaged file fails with SQLite's
    // "database disk image is malformed" at the first read that meets it.
    sqlite3_exec(db_, "PRAGMA cell_size_check=ON", nullptr, nullptr, nullptr);
  }
  ~SqliteStorage() override {
    for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
    sqlite3_close_v2(db_);
  }

  /// Throws kIo "not a database" unless the file holds the file catalogue.
  void CheckCatalogue() {
    std::error_code ec;
    if (std::filesystem::file_size(path_, ec) == 0 && !ec)
      throw DbError(ErrorCode::kIo, "not a database (the file is empty)");
    sql::Statement check(db_, "SELECT count(*) FROM sqlite_master WHERE type='table' AND name='mv_files'");
    if (!check.Step() || check.ColumnInt(0) == 0)
      throw DbError(ErrorCode::kIo, "not a database of this engine (no file catalogue)");
  }

  void UseWriteAheadLog() {
    sql::Exec(db_, "PRAGMA journal_mode=WAL");
    sql::Exec(db_, "PRAGMA synchronous=NORMAL");
  }

  void CreateCatalogue() {
    UseWriteAheadLog();
    sql::Exec(db_, "CREATE TABLE mv_files(id INTEGER PRIMARY KEY, name TEXT UNIQUE NOT NULL, kind TEXT NOT NULL)");
  }

  const std::string& ReadOnlyReason() const override { return readOnlyReason_; }

  void SetWriteWait(std::chrono::milliseconds wait) override {
    sqlite3_busy_timeout(db_, static_cast<int>(wait.count()));
  }

  sqlite3* Handle() override { return db_; }

  bool HasFile(const std::string& file) const override { return Find(file) != nullptr; }

  FileKind Kind(const std::string& file) const override { return Info(file).kind; }

  void CreateFile(const std::string& file, FileKind kind) override {
    RequireWritable("cannot create file " + file);
    ValidateFileName(file);
    if (kind == FileKind::kDirectory) dirfile::ValidateKey(file);
    if (HasFile(file)) throw DbError(ErrorCode::kFileExists, "file " + file + " already exists");
    Transaction([&] {
      {
        sql::Statement insert(db_, "INSERT INTO mv_files(name, kind) VALUES(?1, ?2)");
        insert.BindText(1, file);
        insert.BindText(2, kind == FileKind::kHashed ? "H" : "D");
        insert.Step();
      }
      const long long id = sqlite3_last_insert_rowid(db_);
      if (kind == FileKind::kHashed)
        sql::Exec(db_, "CREATE TABLE mvf_" + std::to_string(id) +
                           "(key TEXT PRIMARY KEY NOT NULL, record BLOB NOT NULL) WITHOUT ROWID");
    });
    if (kind == FileKind::kDirectory) {
      std::error_code ec;
      std::filesystem::create_directories(Folder(file), ec);
      if (ec) throw DbError(ErrorCode::kIo, "cannot create folder " + Folder(file).string() + ": " + ec.message());
    }
    catalogue_.clear();
  }

  std::vector<std::string> Files() const override {
    std::vector<std::string> names;
    sql::Statement list(db_, "SELECT name FROM mv_files ORDER BY name");
    while (list.Step()) names.push_back(list.Column(0));
    return names;
  }

  std::optional<std::string> Get(const std::string& file, const std::string& key) override {
    const FileInfo& info = Info(file);
    if (info.kind == FileKind::kDirectory) {
      auto bytes = dirfile::ReadBytes(Folder(file), key);
      if (!bytes) return std::nullopt;
      return dirfile::DecodeRecord(key, *bytes);
    }
    if (key.empty()) return std::nullopt;
    sql::Statement get(db_, Cached("SELECT record FROM " + info.table + " WHERE key=?1"));
    get.BindText(1, key);
    if (!get.Step()) return std::nullopt;
    return get.Column(0);
  }

  void Put(const std::string& file, const std::string& key, std::string_view text, bool mustBeNew) override {
    const FileInfo info = Info(file);
    RequireWritable("cannot write record " + key + " of " + file);
    if (info.kind == FileKind::kDirectory) {
      WriteDirectoryRecord(file, key, dirfile::EncodeRecord(key, text), mustBeNew);
      return;
    }
    ValidateHashedKey(file, key);
    Transaction([&] {
      std::optional<std::string> before;
      if (!hooks_.empty()) before = Get(file, key);
      if (mustBeNew) {
        sql::Statement insert(db_, Cached("INSERT INTO " + info.table +
                                          "(key, record) VALUES(?1, ?2) ON CONFLICT(key) DO NOTHING"));
        insert.BindText(1, key);
        insert.BindBlob(2, text);
        insert.Step();
        if (sqlite3_changes(db_) == 0)
          throw DbError(ErrorCode::kRecordExists, "record " + key + " already exists in file " + file);
      } else {
        sql::Statement upsert(db_, Cached("INSERT INTO " + info.table +
                                          "(key, record) VALUES(?1, ?2) ON CONFLICT(key) DO UPDATE SET "
                                          "record=excluded.record"));
        upsert.BindText(1, key);
        upsert.BindBlob(2, text);
        upsert.Step();
      }
      if (!hooks_.empty()) {
        const std::optional<std::string> after{std::string(text)};
        for (const auto& hook : hooks_) hook(file, key, before, after);
      }
    });
  }

  void Remove(const std::string& file, const std::string& key) override {
    const FileInfo info = Info(file);
    RequireWritable("cannot remove record " + key + " of " + file);
    if (info.kind == FileKind::kDirectory) {
      dirfile::ValidateKey(key);
      KeepForUndo(file, key);
      dirfile::Remove(Folder(file), key);
      return;
    }
    if (key.empty()) return;
    Transaction([&] {
      std::optional<std::string> before;
      if (!hooks_.empty()) {
        before = Get(file, key);
        if (!before) return;
      }
      sql::Statement remove(db_, Cached("DELETE FROM " + info.table + " WHERE key=?1"));
      remove.BindText(1, key);
      remove.Step();
      for (const auto& hook : hooks_) hook(file, key, before, std::nullopt);
    });
  }

  void Scan(const std::string& file,
            const std::function<bool(const std::string& key, const std::string& text)>& fn) override {
    const FileInfo info = Info(file);
    if (info.kind == FileKind::kDirectory) {
      dirfile::ScanBytes(Folder(file), [&](const std::string& key, const std::string& bytes) {
        return fn(key, dirfile::DecodeRecord(key, bytes));
      });
      return;
    }
    // A fresh statement: fn may read or write this file while the scan runs.
    sql::Statement scan(db_, "SELECT key, record FROM " + info.table + " ORDER BY key");
    while (scan.Step()) {
      if (!fn(scan.Column(0), scan.Column(1))) return;
    }
  }

  void ScanStored(const std::string& file,
                  const std::function<bool(const std::string& key, const std::string& bytes)>& fn) override {
    if (Info(file).kind == FileKind::kDirectory) {
      dirfile::ScanBytes(Folder(file), fn);
    } else {
      Scan(file, fn);
    }
  }

  void PutStored(const std::string& file, const std::string& key, std::string_view bytes) override {
    if (Info(file).kind != FileKind::kDirectory) return Put(file, key, bytes, false);
    RequireWritable("cannot write record " + key + " of " + file);
    WriteDirectoryRecord(file, key, bytes, false);
  }

  void AddWriteHook(WriteHook hook) override { hooks_.push_back(std::move(hook)); }

  void Transaction(const std::function<void()>& work) override {
    if (depth_ == 0) RequireWritable("cannot write");
    const bool outermost = depth_ == 0;
    InTransaction(outermost ? "BEGIN IMMEDIATE" : "SAVEPOINT mvdb_nested",
                  outermost ? "COMMIT" : "RELEASE mvdb_nested", work);
  }

  void ReadSnapshot(const std::function<void()>& work) override {
    if (depth_ > 0 || !sqlite3_get_autocommit(db_)) {
      work();  // joins the open transaction: it already reads one state
      return;
    }
    InTransaction("BEGIN", "COMMIT", work);
  }

 private:
  struct FileInfo {
    FileKind kind;
    std::string table;
  };

  // Opens a level with `begin`, runs work, closes it with `end`; an exception
  // from either undoes the level and is rethrown.
  // Directory-file writes of the level are undone with it.
  void InTransaction(const char* begin, const char* end, const std::function<void()>& work) {
    RunCached(begin);
    const std::size_t undoMark = kept_.size();
    ++depth_;
    try {
      work();
    } catch (...) {
      --depth_;
      RollBack(undoMark);
      throw;
    }
    --depth_;
    try {
      RunCached(end);
    } catch (...) {
      RollBack(undoMark);
      throw;
    }
    if (depth_ == 0) kept_.clear();  // committed: the kept files are forgotten
  }

  void RequireWritable(const std::string& what) const {
    if (!readOnlyReason_.empty())
      throw DbError(ErrorCode::kIo, what + ": database " + path_.string() + " is read-only (" + readOnlyReason_ + ")");
  }

  /// Inside a transaction, keeps what the record's file holds so that a
  /// rollback can put it back.
  void KeepForUndo(const std::string& file, const std::string& key) {
    if (depth_ > 0) kept_.emplace_back(Folder(file), key);
  }

  void WriteDirectoryRecord(const std::string& file, const std::string& key, std::string_view bytes,
                            bool mustBeNew) {
    dirfile::ValidateKey(key);
    KeepForUndo(file, key);
    try {
      dirfile::WriteBytes(Folder(file), key, bytes, mustBeNew);
    } catch (...) {
      if (depth_ > 0) kept_.pop_back();  // nothing was written: nothing to undo
      throw;
    }
  }

  const FileInfo* Find(const std::string& file) const {
    auto it = catalogue_.find(file);
    if (it == catalogue_.end()) {
      // Unknown here: another connection may have created it since.
      LoadCatalogue();
      it = catalogue_.find(file);
      if (it == catalogue_.end()) return nullptr;
    }
    return &it->second;
  }

  const FileInfo& Info(const std::string& file) const {
    const FileInfo* info = Find(file);
    if (!info) throw DbError(ErrorCode::kFileNotFound, "file " + file + " does not exist in " + path_.string());
    return *info;
  }

  void LoadCatalogue() const {
    catalogue_.clear();
    sql::Statement list(db_, "SELECT id, name, kind FROM mv_files");
    while (list.Step()) {
      const FileKind kind = list.Column(2) == "D" ? FileKind::kDirectory : FileKind::kHashed;
      catalogue_[list.Column(1)] = FileInfo{kind, "mvf_" + std::to_string(list.ColumnInt(0))};
    }
  }

  std::filesystem::path Folder(const std::string& file) const {
    return std::filesystem::path(path_.string() + ".d") / file;
  }

  sqlite3_stmt* Cached(const std::string& sqlText) {
    auto it = statements_.find(sqlText);
    if (it != statements_.end()) return it->second;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sqlText.c_str(), static_cast<int>(sqlText.size()), &stmt, nullptr) != SQLITE_OK)
      sql::Fail(db_, "cannot prepare \"" + sqlText + "\"");
    statements_.emplace(sqlText, stmt);
    return stmt;
  }

  void RunCached(const std::string& sqlText) {
    sql::Statement stmt(db_, Cached(sqlText));
    stmt.Step();
  }

  /// Undoes the innermost open level, directory-file writes made since
  /// `undoMark` included; never throws (it runs while unwinding).
  void RollBack(std::size_t undoMark) noexcept {
    while (kept_.size() > undoMark) {
      kept_.back().PutBack();
      kept_.pop_back();
    }
    try {
      if (depth_ == 0) {
        if (!sqlite3_get_autocommit(db_)) RunCached("ROLLBACK");
        catalogue_.clear();  // a file created inside may be gone again
      } else {
        RunCached("ROLLBACK TO mvdb_nested");
        RunCached("RELEASE mvdb_nested");
      }
    } catch (...) {
    }
  }

  std::filesystem::path path_;
  sqlite3* db_;
  std::string readOnlyReason_;
  std::vector<dirfile::KeptFile> kept_;  // directory-file undo of the open transaction
  mutable std::map<std::string, FileInfo> catalogue_;
  std::unordered_map<std::string, sqlite3_stmt*> statements_;
  std::vector<WriteHook> hooks_;
  int depth_ = 0;
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

std::unique_ptr<SqliteStorage> Connect(const std::filesystem::path& path, const std::string& uri, int flags,
                                       const std::string& readOnlyReason) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(uri.c_str(), &db, flags | SQLITE_OPEN_URI, nullptr) != SQLITE_OK) {
    const std::string message = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close_v2(db);
    throw DbError(ErrorCode::kIo, "cannot open database " + path.string() + ": " + message);
  }
  return std::make_unique<SqliteStorage>(path, db, readOnlyReason);
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
std::unique_ptr<SqliteStorage> OpenReadOnly(const std::filesystem::path& path, const std::string& reason) {
  auto storage = Connect(path, UriOf(path, "mode=ro"), SQLITE_OPEN_READONLY, reason);
  try {
    storage->CheckCatalogue();
    return storage;
  } catch (const DbError&) {
    std::error_code ec;
    const auto log = std::filesystem::path(path.string() + "-wal");
    const bool cannotUseLog = ::access(std::filesystem::absolute(path).parent_path().c_str(), W_OK) != 0;
    if (!cannotUseLog) throw;
    if (std::filesystem::exists(log, ec) && std::filesystem::file_size(log, ec) > 0)
      throw DbError(ErrorCode::kIo, "cannot read database " + path.string() + ": its folder is read-only and " +
                                        log.string() + " holds writes not yet in the file");
  }
  storage = Connect(path, UriOf(path, "immutable=1"), SQLITE_OPEN_READONLY, reason);
  storage->CheckCatalogue();
  return storage;
}

}  // namespace

std::unique_ptr<Storage> Storage::Open(const std::filesystem::path& path, OpenMode mode) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec))
    throw DbError(ErrorCode::kFileNotFound, "database " + path.string() + " does not exist");
  try {
    const std::string reason = mode == OpenMode::kReadOnly ? "opened read-only" : WhyNotWritable(path);
    if (!reason.empty()) return OpenReadOnly(path, reason);
    auto storage = Connect(path, UriOf(path, "mode=rw"), SQLITE_OPEN_READWRITE, "");
    storage->CheckCatalogue();  // before anything is written: a file that is not a database stays as it is
    storage->UseWriteAheadLog();
    return storage;
  } catch (const DbError& e) {
    const std::string message = e.what();
    if (message.find(path.string()) != std::string::npos) throw;  // the message names the database already
    throw DbError(e.code(), "cannot open database " + path.string() + ": " + message);
  }
}

std::unique_ptr<Storage> Storage::Create(const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec))
    throw DbError(ErrorCode::kFileExists, "database " + path.string() + " already exists");
  auto storage = Connect(path, UriOf(path, "mode=rwc"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, "");
  storage->CreateCatalogue();
  return storage;
}

}  // namespace mvdb
