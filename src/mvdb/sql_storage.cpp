// The logic every storage shares, over the SQL backend of its client library:
// the catalogue (cached, reloaded when a file is unknown), validation, the
// directory files and their undo, write hooks, and the levels of
// transactions, savepoints and read snapshots.
#include <algorithm>
#include <map>
#include <unordered_map>

#include "mvdb/directory_files.h"
#include "mvdb/snapshot_cache.h"
#include "mvdb/sql_backend.h"

namespace mvdb {
namespace {

// Records written at most in one statement of a batch write.
constexpr std::size_t kWriteBatch = 5000;

void ValidateFileName(const std::string& file) {
  if (file.empty() || file.find('\0') != std::string::npos)
    throw DbError(ErrorCode::kInvalidArgument, "a file name must be non-empty text");
}

void ValidateHashedKey(const std::string& file, const std::string& key) {
  if (key.empty()) throw DbError(ErrorCode::kInvalidArgument, "empty key in file " + file);
}

class SqlStorage final : public Storage {
 public:
  SqlStorage(std::unique_ptr<SqlBackend> backend, std::string readOnlyReason, std::string directoryReadOnlyReason)
      : db_(std::move(backend)), readOnlyReason_(std::move(readOnlyReason)),
        directoryReadOnlyReason_(std::move(directoryReadOnlyReason)), root_(db_->DirectoryRoot()) {}

  ~SqlStorage() override {
    if (level_ != Level::kNone) db_->Rollback();
  }

  const std::string& Address() const override { return db_->Address(); }
  const std::string& ReadOnlyReason() const override { return readOnlyReason_; }
  void SetWriteWait(std::chrono::milliseconds wait) override { db_->SetWriteWait(wait); }

  bool HasFile(const std::string& file) const override { return Find(file) != nullptr; }

  FileKind Kind(const std::string& file) const override { return Info(file).kind; }

  void CreateFile(const std::string& file, FileKind kind) override {
    RequireWritable("cannot create file " + file);
    ValidateFileName(file);
    if (kind == FileKind::kDirectory) {
      dirfile::ValidateKey(file);
      RequireDirectoryRoot("cannot create directory file " + file);
    }
    if (HasFile(file)) throw DbError(ErrorCode::kFileExists, "file " + file + " already exists");
    Transaction([&] { db_->AddFile(file, kind); });
    if (kind == FileKind::kDirectory) {
      std::error_code ec;
      std::filesystem::create_directories(DirectoryFolder(file), ec);
      if (ec)
        throw DbError(ErrorCode::kIo, "cannot create folder " + DirectoryFolder(file).string() + ": " + ec.message());
    }
    catalogue_.clear();
  }

  std::vector<std::string> Files() const override {
    std::vector<std::string> names;
    for (const CatalogueRow& row : db_->Catalogue()) names.push_back(row.name);
    std::sort(names.begin(), names.end());
    return names;
  }

  std::filesystem::path DirectoryFolder(const std::string& file) const override {
    return root_.empty() ? std::filesystem::path() : root_ / file;
  }

  std::optional<std::string> Get(const std::string& file, const std::string& key) override {
    const CatalogueRow& info = Info(file);
    if (info.kind == FileKind::kDirectory) {
      if (root_.empty()) return std::nullopt;
      auto bytes = dirfile::ReadBytes(DirectoryFolder(file), key);
      if (!bytes) return std::nullopt;
      return dirfile::DecodeRecord(key, *bytes);
    }
    if (key.empty()) return std::nullopt;
    if (!Caching()) return db_->Read(info.table, key);
    if (auto known = cache_.Find(info.table, key)) return *known;
    cache_.MakeRoom();
    // Read ahead: the records that follow are often the ones read next.
    const std::size_t ahead = db_->ReadAhead();
    std::optional<std::string> found;
    std::string last;
    std::size_t read = 0;
    db_->ReadFrom(info.table, key, ahead, [&](const std::string& k, const std::string& text) {
      cache_.Keep(info.table, k, text);
      if (k == key) found = text;
      last = k;
      ++read;
      return true;
    });
    cache_.Covered(info.table, key, read < ahead ? std::nullopt : std::optional<std::string>(last));
    return found;
  }

  void GetMany(const std::string& file, const std::vector<std::string>& keys, const RecordFn& fn) override {
    const CatalogueRow info = Info(file);
    if (info.kind == FileKind::kHashed && !Caching()) return db_->ReadMany(info.table, keys, fn);
    if (info.kind == FileKind::kHashed) return CachedReadMany(info.table, keys, fn);
    for (const std::string& key : keys) {
      auto text = Get(file, key);
      if (text && !fn(key, *text)) return;
    }
  }

  void Remember(const std::string& file, const std::string& key, const std::string& text) override {
    // Only worth it when the snapshot goes on after the reading that
    // remembers (a caller's snapshot around a selection's own).
    if (!Caching() || snapshotCalls_ < 2) return;
    const CatalogueRow& info = Info(file);
    if (info.kind != FileKind::kHashed) return;
    if (cache_.Full()) return;  // never emptied here: a read may rely on what it holds
    cache_.Keep(info.table, key, text);
  }

  void Put(const std::string& file, const std::string& key, std::string_view text, bool mustBeNew) override {
    const CatalogueRow info = Info(file);
    RequireWritable("cannot write record " + key + " of " + file, info.kind);
    if (info.kind == FileKind::kDirectory) {
      WriteDirectoryRecord(file, key, dirfile::EncodeRecord(key, text), mustBeNew);
      return;
    }
    ValidateHashedKey(file, key);
    Transaction([&] {
      if (!mustBeNew) {
        db_->Write(info.table, key, text);
      } else if (!db_->WriteNew(info.table, key, text)) {
        throw DbError(ErrorCode::kRecordExists, "record " + key + " already exists in file " + file);
      }
      RunHooks(file, {RecordChange{key, text}});
    });
  }

  void PutMany(const std::string& file, const std::vector<KeyedRecord>& records) override {
    const CatalogueRow info = Info(file);
    RequireWritable("cannot write records of " + file);
    if (info.kind == FileKind::kDirectory) {
      Transaction([&] {
        for (const KeyedRecord& record : records) Put(file, record.key, record.text, false);
      });
      return;
    }
    for (const KeyedRecord& record : records) ValidateHashedKey(file, record.key);
    Transaction([&] {
      for (std::size_t first = 0; first < records.size(); first += kWriteBatch) {
        // A key written twice in one statement would be refused: the last text wins.
        std::unordered_map<std::string_view, const KeyedRecord*> last;
        const std::size_t end = std::min(records.size(), first + kWriteBatch);
        for (std::size_t i = first; i < end; ++i) last[records[i].key] = &records[i];
        std::vector<const KeyedRecord*> batch;
        batch.reserve(last.size());
        for (std::size_t i = first; i < end; ++i) {
          if (last[records[i].key] == &records[i]) batch.push_back(&records[i]);
        }
        db_->WriteMany(info.table, batch);
        std::vector<RecordChange> changes;
        changes.reserve(batch.size());
        for (const KeyedRecord* record : batch) changes.push_back(RecordChange{record->key, record->text});
        RunHooks(file, changes);
      }
    });
  }

  void Remove(const std::string& file, const std::string& key) override {
    const CatalogueRow info = Info(file);
    RequireWritable("cannot remove record " + key + " of " + file, info.kind);
    if (info.kind == FileKind::kDirectory) {
      dirfile::ValidateKey(key);
      RequireDirectoryRoot("cannot remove record " + key + " of " + file);
      KeepForUndo(file, key);
      dirfile::Remove(DirectoryFolder(file), key);
      return;
    }
    if (key.empty()) return;
    Transaction([&] {
      db_->Erase(info.table, key);
      RunHooks(file, {RecordChange{key, std::nullopt}});
    });
  }

  void Scan(const std::string& file, const RecordFn& fn) override {
    const CatalogueRow info = Info(file);
    if (info.kind == FileKind::kDirectory) {
      if (root_.empty()) return;
      dirfile::ScanBytes(DirectoryFolder(file), [&](const std::string& key, const std::string& bytes) {
        return fn(key, dirfile::DecodeRecord(key, bytes));
      });
      return;
    }
    InOneState([&] { db_->ScanTable(info.table, fn); });
  }

  void ScanStored(const std::string& file, const RecordFn& fn) override {
    if (Info(file).kind != FileKind::kDirectory) return Scan(file, fn);
    if (!root_.empty()) dirfile::ScanBytes(DirectoryFolder(file), fn);
  }

  void PutStored(const std::string& file, const std::string& key, std::string_view bytes) override {
    if (Info(file).kind != FileKind::kDirectory) return Put(file, key, bytes, false);
    RequireWritable("cannot write record " + key + " of " + file, FileKind::kDirectory);
    WriteDirectoryRecord(file, key, bytes, false);
  }

  void AddWriteHook(WriteHook hook) override { hooks_.push_back(std::move(hook)); }

  void Transaction(const std::function<void()>& work) override {
    switch (level_) {
      case Level::kNone:
        RequireWritable("cannot write");
        db_->BeginWrite();
        Run(Level::kWrite, work);
        return;
      case Level::kSnapshot:
        throw DbError(ErrorCode::kIo, "cannot write inside a read snapshot of database " + Address() +
                                          " (end the reading before writing)");
      case Level::kWrite:
        db_->Savepoint();
        Nested(work);
        return;
    }
  }

  void ReadSnapshot(const std::function<void()>& work) override {
    ++snapshotCalls_;
    struct Leave {
      int& calls;
      ~Leave() { --calls; }
    } leave{snapshotCalls_};
    InOneState(work);
  }

  ServerAccounts* Accounts() override { return db_->Accounts(); }
  IndexTables& Indexes() override { return db_->Indexes(); }

 private:
  enum class Level { kNone, kWrite, kSnapshot };

  // Runs work in one state of the database: the open transaction, or a read
  // snapshot of its own.
  void InOneState(const std::function<void()>& work) {
    if (level_ != Level::kNone) {
      work();  // joins the open transaction: it already reads one state
      return;
    }
    db_->BeginSnapshot();
    Run(Level::kSnapshot, work);
  }

  /// Inside a read snapshot of a server nothing changes under the reader:
  /// what it reads is kept until the snapshot ends.
  bool Caching() const { return level_ == Level::kSnapshot && db_->ReadAhead() > 0; }

  void CachedReadMany(const std::string& table, const std::vector<std::string>& keys, const RecordFn& fn) {
    std::vector<std::optional<std::string>> texts(keys.size());
    std::vector<std::string> unknown;
    std::vector<std::size_t> where;
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (auto known = cache_.Find(table, keys[i])) {
        texts[i] = std::move(*known);
      } else {
        unknown.push_back(keys[i]);
        where.push_back(i);
      }
    }
    cache_.MakeRoom();
    std::size_t next = 0;
    db_->ReadMany(table, unknown, [&](const std::string& key, const std::string& text) {
      while (unknown[next] < key) ++next;
      texts[where[next++]] = text;
      cache_.Keep(table, key, text);
      return true;
    });
    for (const std::string& key : unknown) {
      if (!cache_.Find(table, key)) cache_.Covered(table, key, key);  // known missing from now on
    }
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (texts[i] && !fn(keys[i], *texts[i])) return;
    }
  }

  // Runs the outermost level `level`, opened by the caller; commits it, or
  // undoes it (directory-file writes included) when anything throws.
  void Run(Level level, const std::function<void()>& work) {
    level_ = level;
    try {
      work();
      cache_.Clear();
      if (level == Level::kWrite) {
        db_->Commit();
      } else {
        EndSnapshot();
      }
    } catch (...) {
      cache_.Clear();
      db_->Rollback();
      level_ = Level::kNone;
      PutBackKept(0);
      catalogue_.clear();  // a file created inside may be gone again
      throw;
    }
    level_ = Level::kNone;
    kept_.clear();  // committed: the kept files are forgotten
  }

  // Ends a read snapshot whose reads all succeeded: they read one state, so
  // a failure to end it (a connection lost just then) loses nothing.
  void EndSnapshot() noexcept {
    try {
      db_->Commit();
    } catch (...) {
      db_->Rollback();
    }
  }

  // Runs a savepoint level, opened by the caller: its failure undoes its own
  // writes only.
  void Nested(const std::function<void()>& work) {
    const std::size_t undoMark = kept_.size();
    try {
      work();
      db_->ReleaseSavepoint();
    } catch (...) {
      db_->RollbackToSavepoint();
      PutBackKept(undoMark);
      catalogue_.clear();
      throw;
    }
  }

  void PutBackKept(std::size_t undoMark) noexcept {
    while (kept_.size() > undoMark) {
      kept_.back().PutBack();
      kept_.pop_back();
    }
  }

  void RunHooks(const std::string& file, const std::vector<RecordChange>& changes) {
    for (const auto& hook : hooks_) hook(file, changes);
  }

  /// Refuses a write to a read-only database; the records of a directory
  /// file have their own reason (their folder may be writable when the
  /// server's tables are not).
  void RequireWritable(const std::string& what, FileKind kind = FileKind::kHashed) const {
    const std::string& reason = kind == FileKind::kDirectory ? directoryReadOnlyReason_ : readOnlyReason_;
    if (!reason.empty())
      throw DbError(ErrorCode::kIo, what + ": database " + Address() + " is read-only (" + reason + ")");
  }

  void RequireDirectoryRoot(const std::string& what) const {
    if (root_.empty())
      throw DbError(ErrorCode::kIo, what + ": database " + Address() +
                                        " has no folder for directory files (give one when creating it: "
                                        "mvdb create ADDRESS --directory-root FOLDER)");
  }

  /// Inside a write transaction, keeps what the record's file holds so that
  /// a rollback can put it back.
  void KeepForUndo(const std::string& file, const std::string& key) {
    if (level_ == Level::kWrite) kept_.emplace_back(DirectoryFolder(file), key);
  }

  void WriteDirectoryRecord(const std::string& file, const std::string& key, std::string_view bytes,
                            bool mustBeNew) {
    dirfile::ValidateKey(key);
    RequireDirectoryRoot("cannot write record " + key + " of " + file);
    KeepForUndo(file, key);
    try {
      dirfile::WriteBytes(DirectoryFolder(file), key, bytes, mustBeNew);
    } catch (...) {
      if (level_ == Level::kWrite) kept_.pop_back();  // nothing was written: nothing to undo
      throw;
    }
  }

  const CatalogueRow* Find(const std::string& file) const {
    auto it = catalogue_.find(file);
    if (it == catalogue_.end()) {
      // Unknown here: another connection may have created it since.
      catalogue_.clear();
      for (CatalogueRow& row : db_->Catalogue()) catalogue_.emplace(row.name, std::move(row));
      it = catalogue_.find(file);
      if (it == catalogue_.end()) return nullptr;
    }
    return &it->second;
  }

  const CatalogueRow& Info(const std::string& file) const {
    const CatalogueRow* info = Find(file);
    if (!info) throw DbError(ErrorCode::kFileNotFound, "file " + file + " does not exist in " + Address());
    return *info;
  }

  std::unique_ptr<SqlBackend> db_;
  std::string readOnlyReason_;
  std::string directoryReadOnlyReason_;
  std::filesystem::path root_;
  std::vector<dirfile::KeptFile> kept_;  // directory-file undo of the open transaction
  mutable std::map<std::string, CatalogueRow> catalogue_;
  std::vector<WriteHook> hooks_;
  Level level_ = Level::kNone;
  int snapshotCalls_ = 0;  // ReadSnapshot calls running, nested ones included
  SnapshotCache cache_;  // what a read snapshot of a server has read
};

// The libpq connection keywords an address may start with.
constexpr std::string_view kServerKeywords[] = {
    "host",    "hostaddr", "port",    "dbname",  "user",           "password", "passfile", "service",
    "options", "sslmode",  "connect_timeout", "application_name", "target_session_attrs", "schema",
};

}  // namespace

std::unique_ptr<Storage> MakeSqlStorage(std::unique_ptr<SqlBackend> backend, std::string readOnlyReason,
                                        std::string directoryReadOnlyReason) {
  return std::make_unique<SqlStorage>(std::move(backend), std::move(readOnlyReason),
                                      std::move(directoryReadOnlyReason));
}

bool Storage::IsServerAddress(std::string_view address) {
  if (address.starts_with("postgresql://") || address.starts_with("postgres://")) return true;
  const auto first = address.find_first_not_of(" \t");
  if (first == std::string_view::npos) return false;
  const auto equals = address.find('=', first);
  if (equals == std::string_view::npos) return false;
  std::string_view word = address.substr(first, equals - first);
  while (!word.empty() && (word.back() == ' ' || word.back() == '\t')) word.remove_suffix(1);
  return std::find(std::begin(kServerKeywords), std::end(kServerKeywords), word) != std::end(kServerKeywords);
}

std::unique_ptr<Storage> Storage::Open(const std::string& address, OpenMode mode, const Credentials& credentials) {
  std::string reason;
  if (!IsServerAddress(address)) {
    auto backend = sqlite::OpenFile(address, mode, reason);
    return MakeSqlStorage(std::move(backend), reason, reason);
  }
  auto backend = postgres::OpenServer(address, mode, credentials, reason);
  // The directory files are in a shared folder that the server does not
  // guard: a user the server lets read only (a report user) still writes
  // them (the export's file) where the folder allows.
  std::string directoryReason = mode == OpenMode::kReadOnly ? reason : std::string();
  return MakeSqlStorage(std::move(backend), std::move(reason), std::move(directoryReason));
}

std::unique_ptr<Storage> Storage::Create(const std::string& address, const CreateOptions& options) {
  CreateOptions absolute = options;
  if (!absolute.directoryRoot.empty()) absolute.directoryRoot = std::filesystem::absolute(options.directoryRoot);
  auto backend = IsServerAddress(address) ? postgres::CreateServer(address, absolute)
                                          : sqlite::CreateFile(address, absolute);
  const std::filesystem::path root = backend->DirectoryRoot();
  if (!root.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(root, ec);
    if (ec) throw DbError(ErrorCode::kIo, "cannot create folder " + root.string() + ": " + ec.message());
  }
  return MakeSqlStorage(std::move(backend), "", "");
}

}  // namespace mvdb
