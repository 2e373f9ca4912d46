// Storage on SQLite. Layout of the database file:
//   mv_files(id, name, kind)   the catalogue: one row per multivalue file,
//                              kind "H" (hashed) or "D" (directory)
//   mvf_<id>(key, record)      one table per hashed file, key TEXT PRIMARY KEY
//                              (byte order), record BLOB (the whole text)
// Directory files keep their records in the folder "<database>.d/<FILE>/".
// The query engine adds its own tables (indexes) through Handle().
#include <sqlite3.h>

#include <map>
#include <unordered_map>

#include "mvdb/directory_files.h"
#include "mvdb/sqlite_statement.h"
#include "mvdb/storage.h"

namespace mvdb {
namespace {

constexpr int kBusyTimeoutMs = 10000;

void ValidateFileName(const std::string& file) {
  if (file.empty() || file.find('\0') != std::string::npos)
    throw DbError(ErrorCode::kInvalidArgument, "a file name must be non-empty text");
}

void ValidateHashedKey(const std::string& file, const std::string& key) {
  if (key.empty()) throw DbError(ErrorCode::kInvalidArgument, "empty key in file " + file);
}

class SqliteStorage final : public Storage {
 public:
  SqliteStorage(std::filesystem::path path, sqlite3* db) : path_(std::move(path)), db_(db) {}
  ~SqliteStorage() override {
    for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
    sqlite3_close_v2(db_);
  }

  void Initialise(bool create) {
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db_, 1);
    sql::Exec(db_, "PRAGMA journal_mode=WAL");
    sql::Exec(db_, "PRAGMA synchronous=NORMAL");
    if (create) {
      sql::Exec(db_,
                "CREATE TABLE IF NOT EXISTS mv_files(id INTEGER PRIMARY KEY, name TEXT UNIQUE NOT NULL, "
                "kind TEXT NOT NULL)");
      return;
    }
    sql::Statement check(db_, "SELECT count(*) FROM sqlite_master WHERE type='table' AND name='mv_files'");
    if (!check.Step() || check.ColumnInt(0) == 0)
      throw DbError(ErrorCode::kIo, path_.string() + " is not a multivalue database (no file catalogue)");
  }

  sqlite3* Handle() override { return db_; }

  bool HasFile(const std::string& file) const override { return Find(file) != nullptr; }

  FileKind Kind(const std::string& file) const override { return Info(file).kind; }

  void CreateFile(const std::string& file, FileKind kind) override {
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
    if (info.kind == FileKind::kDirectory) return dirfile::Read(Folder(file), key);
    if (key.empty()) return std::nullopt;
    sql::Statement get(db_, Cached("SELECT record FROM " + info.table + " WHERE key=?1"));
    get.BindText(1, key);
    if (!get.Step()) return std::nullopt;
    return get.Column(0);
  }

  void Put(const std::string& file, const std::string& key, std::string_view text, bool mustBeNew) override {
    const FileInfo info = Info(file);
    if (info.kind == FileKind::kDirectory) {
      dirfile::Write(Folder(file), key, text, mustBeNew);
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
    if (info.kind == FileKind::kDirectory) {
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
      dirfile::Scan(Folder(file), fn);
      return;
    }
    // A fresh statement: fn may read or write this file while the scan runs.
    sql::Statement scan(db_, "SELECT key, record FROM " + info.table + " ORDER BY key");
    while (scan.Step()) {
      if (!fn(scan.Column(0), scan.Column(1))) return;
    }
  }

  void AddWriteHook(WriteHook hook) override { hooks_.push_back(std::move(hook)); }

  void Transaction(const std::function<void()>& work) override {
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
  void InTransaction(const char* begin, const char* end, const std::function<void()>& work) {
    RunCached(begin);
    ++depth_;
    try {
      work();
    } catch (...) {
      --depth_;
      RollBack();
      throw;
    }
    --depth_;
    try {
      RunCached(end);
    } catch (...) {
      RollBack();
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

  /// Undoes the innermost open level; never throws (it runs while unwinding).
  void RollBack() noexcept {
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
  mutable std::map<std::string, FileInfo> catalogue_;
  std::unordered_map<std::string, sqlite3_stmt*> statements_;
  std::vector<WriteHook> hooks_;
  int depth_ = 0;
};

}  // namespace

std::unique_ptr<Storage> Storage::Open(const std::filesystem::path& path, bool create) {
  std::error_code ec;
  const bool exists = std::filesystem::exists(path, ec);
  if (create && exists) throw DbError(ErrorCode::kFileExists, "database " + path.string() + " already exists");
  if (!create && !exists) throw DbError(ErrorCode::kFileNotFound, "database " + path.string() + " does not exist");
  sqlite3* db = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    const std::string message = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close_v2(db);
    throw DbError(ErrorCode::kIo, "cannot open database " + path.string() + ": " + message);
  }
  auto storage = std::make_unique<SqliteStorage>(path, db);
  try {
    storage->Initialise(create);
  } catch (const DbError& e) {
    throw DbError(e.code(), "cannot open database " + path.string() + ": " + e.what());
  }
  return storage;
}

}  // namespace mvdb
