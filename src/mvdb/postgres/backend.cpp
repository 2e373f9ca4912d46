// The server backend: one schema of a PostgreSQL database holds the whole
// multivalue database (one association = one schema). Tables, all in that
// schema, keys and names as bytea so that they sort byte by byte exactly as
// the embedded storage sorts them, whatever their bytes:
//   mv_files(id bigserial, name bytea UNIQUE, kind text)   the catalogue
//   mv_settings(name text PRIMARY KEY, value bytea)         "directory_root"
//   mvf_<id>(key bytea PRIMARY KEY, record bytea)           a hashed file
//   mv_audit, and the groups of the users (postgres/accounts.cpp)
// One writer at a time, as in the embedded storage: a write transaction
// first locks the catalogue against other writers (readers never wait);
// read snapshots are REPEATABLE READ READ ONLY transactions.
#include <array>
#include <atomic>

#include "mvdb/postgres/accounts.h"
#include "mvdb/postgres/address.h"
#include "mvdb/postgres/connection.h"
#include "mvdb/postgres/index_tables.h"
#include "mvdb/postgres/range_reader.h"
#include "mvdb/sql_backend.h"

namespace mvdb::postgres {
namespace {

// Keys read at most in one request of a batch read.
constexpr std::size_t kReadBatch = 5000;
// Rows fetched at once by a scan.
constexpr int kScanBatch = 5000;
// Records a read snapshot reads at once from a key it looks up.
constexpr std::size_t kReadAhead = 32;

std::string Quoted(const std::string& identifier) { return "\"" + identifier + "\""; }

class PostgresBackend final : public SqlBackend {
 public:
  explicit PostgresBackend(const ServerAddress& address, const Credentials& credentials = {})
      : schema_(address.schema), db_(address.conninfo, address.shown, credentials), indexes_(db_),
        accounts_(db_, schema_) {}

  /// Checks that the schema holds a database and reads its settings;
  /// readOnlyReason receives why it cannot be written.
  void Attach(OpenMode mode, std::string& readOnlyReason) {
    const Result found = db_.Run(
        "WITH s AS (SELECT COALESCE(has_schema_privilege((SELECT oid FROM pg_namespace WHERE nspname = $1), "
        "'USAGE'), false) AS usable) "
        "SELECT EXISTS(SELECT 1 FROM pg_namespace WHERE nspname = $1), "
        // A schema the user may not use is not even looked into.
        "CASE WHEN usable THEN to_regclass(quote_ident($1) || '.mv_files') IS NOT NULL ELSE true END, "
        "CASE WHEN usable THEN COALESCE(has_table_privilege(to_regclass(quote_ident($1) || '.mv_files'), 'INSERT'), "
        "false) ELSE false END, usable FROM s",
        {Text(schema_)});
    if (found.Int(0, 0) == 0)
      throw DbError(ErrorCode::kFileNotFound, "database " + db_.Shown() + " does not exist (the server has no schema " +
                                                  schema_ + "; make it with mvdb create)");
    if (found.Int(0, 3) == 0)
      throw DbError(ErrorCode::kIo, "cannot open database " + db_.Shown() + ": the server's user " +
                                        accounts_.SessionUser() + " is no user of it (no right on schema " + schema_ +
                                        "; mvdb user add gives one)");
    if (found.Int(0, 1) == 0)
      throw DbError(ErrorCode::kIo, "cannot open database " + db_.Shown() + ": not a database of this engine (schema " +
                                        schema_ + " has no file catalogue)");
    UseSchema();
    if (mode == OpenMode::kReadOnly) {
      readOnlyReason = "opened read-only";
    } else if (found.Int(0, 2) == 0) {
      readOnlyReason = "the server's user may not write schema " + schema_;
    }
    if (!readOnlyReason.empty()) db_.Exec("SET default_transaction_read_only = on");
    ReadRoot();
  }

  /// Creates the schema and its tables in one transaction.
  void Make(const CreateOptions& options) {
    db_.Exec("BEGIN");
    try {
      const Result exists = db_.Run("SELECT EXISTS(SELECT 1 FROM pg_namespace WHERE nspname = $1)", {Text(schema_)});
      if (exists.Int(0, 0) != 0)
        throw DbError(ErrorCode::kFileExists, "database " + db_.Shown() + " already exists (schema " + schema_ + ")");
      db_.Exec("CREATE SCHEMA " + Quoted(schema_));
      UseSchema();
      db_.Exec(
          "CREATE TABLE mv_files(id bigserial PRIMARY KEY, name bytea UNIQUE NOT NULL, kind text NOT NULL);"
          "CREATE TABLE mv_settings(name text PRIMARY KEY, value bytea NOT NULL)");
      MakeAuditTrail(db_, schema_);
      if (!options.directoryRoot.empty())
        db_.Run("INSERT INTO mv_settings(name, value) VALUES('directory_root', $1)",
                {Bytes(options.directoryRoot.string())});
      db_.Exec("COMMIT");
    } catch (...) {
      Rollback();
      throw;
    }
    ReadRoot();
  }

  const std::string& Address() const override { return db_.Shown(); }
  std::filesystem::path DirectoryRoot() override { return root_; }

  void SetWriteWait(std::chrono::milliseconds wait) override { writeWait_ = std::max<long long>(1, wait.count()); }

  void BeginWrite() override {
    try {
      db_.Exec("BEGIN; SET LOCAL lock_timeout = " + std::to_string(writeWait_) +
               "; LOCK TABLE mv_files IN SHARE ROW EXCLUSIVE MODE");
    } catch (...) {
      Rollback();
      throw;
    }
  }
  void BeginSnapshot() override {
    db_.Exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    inSnapshot_ = true;
  }
  void Commit() override {
    inSnapshot_ = false;
    const Result done = db_.Exec("COMMIT");
    // A transaction in which a statement failed ends as a rollback.
    if (std::string_view(PQcmdStatus(done.get())) == "ROLLBACK")
      throw DbError(ErrorCode::kIo, "the write to database " + db_.Shown() +
                                        " was undone by the server: a statement of it had failed");
  }
  void Rollback() noexcept override {
    inSnapshot_ = false;
    try {
      db_.Exec("ROLLBACK");
    } catch (...) {
    }
  }
  void Savepoint() override { db_.Exec("SAVEPOINT mvdb_nested"); }
  void ReleaseSavepoint() override { db_.Exec("RELEASE mvdb_nested"); }
  void RollbackToSavepoint() noexcept override {
    try {
      db_.Exec("ROLLBACK TO mvdb_nested; RELEASE mvdb_nested");
    } catch (...) {
    }
  }

  std::vector<CatalogueRow> Catalogue() override {
    const Result list = db_.Run("SELECT id, name, kind FROM mv_files", {}, true);
    std::vector<CatalogueRow> rows;
    for (int row = 0; row < list.Rows(); ++row) {
      const FileKind kind = list.Bytes(row, 2) == "D" ? FileKind::kDirectory : FileKind::kHashed;
      rows.push_back(CatalogueRow{std::string(list.Bytes(row, 1)), kind, TableOf(list.Int(row, 0))});
    }
    return rows;
  }

  void AddFile(const std::string& name, FileKind kind) override {
    const Result added = db_.Run("INSERT INTO mv_files(name, kind) VALUES($1, $2) RETURNING id",
                                 {Bytes(name), Text(kind == FileKind::kHashed ? "H" : "D")});
    if (kind == FileKind::kHashed)
      db_.Exec("CREATE TABLE " + TableOf(added.Int(0, 0)) + "(key bytea PRIMARY KEY, record bytea NOT NULL)");
  }

  std::optional<std::string> Read(const std::string& table, const std::string& key) override {
    const Result found = db_.Run("SELECT record FROM " + table + " WHERE key = $1", {Bytes(key)}, true);
    if (found.Rows() == 0) return std::nullopt;
    return std::string(found.Bytes(0, 0));
  }

  std::size_t ReadAhead() const override { return kReadAhead; }

  void ReadFrom(const std::string& table, const std::string& key, std::size_t limit, const RecordFn& fn) override {
    Deliver(db_.Run("SELECT key, record FROM " + table + " WHERE key >= $1 ORDER BY key LIMIT " + std::to_string(limit),
                    {Bytes(key)}, true),
            fn);
  }

  void ReadMany(const std::string& table, const std::vector<std::string>& keys, const RecordFn& fn) override {
    const std::string sql = "SELECT key, record FROM " + table + " WHERE key = ANY($1) ORDER BY key";
    for (std::size_t first = 0; first < keys.size(); first += kReadBatch) {
      const auto end = keys.begin() + static_cast<std::ptrdiff_t>(std::min(keys.size(), first + kReadBatch));
      const Result rows = db_.Run(
          sql, {ByteaArray(std::vector<std::string_view>(keys.begin() + static_cast<std::ptrdiff_t>(first), end))},
          true);
      if (!Deliver(rows, fn)) return;
    }
  }

  void Write(const std::string& table, const std::string& key, std::string_view bytes) override {
    db_.Run("INSERT INTO " + table +
                "(key, record) VALUES($1, $2) ON CONFLICT (key) DO UPDATE SET record = excluded.record",
            {Bytes(key), Bytes(bytes)}, true);
  }

  bool WriteNew(const std::string& table, const std::string& key, std::string_view bytes) override {
    // Of two transactions inserting one key, the second waits for the first
    // and then inserts nothing.
    return db_.Run("INSERT INTO " + table + "(key, record) VALUES($1, $2) ON CONFLICT (key) DO NOTHING",
                   {Bytes(key), Bytes(bytes)}, true)
               .Affected() > 0;
  }

  void WriteMany(const std::string& table, const std::vector<const KeyedRecord*>& records) override {
    std::vector<std::string_view> keys, texts;
    keys.reserve(records.size());
    texts.reserve(records.size());
    for (const KeyedRecord* record : records) {
      keys.push_back(record->key);
      texts.push_back(record->text);
    }
    db_.Run("INSERT INTO " + table +
                "(key, record) SELECT * FROM unnest($1, $2) ON CONFLICT (key) DO UPDATE SET record = excluded.record",
            {ByteaArray(keys), ByteaArray(texts)}, true);
  }

  void Erase(const std::string& table, const std::string& key) override {
    db_.Run("DELETE FROM " + table + " WHERE key = $1", {Bytes(key)}, true);
  }

  void ScanTable(const std::string& table, const RecordFn& fn) override {
    // A large table read in a read snapshot is streamed in two halves at
    // once, each by a helper connection in a thread of its own, while this
    // connection stays free for fn.
    const auto middle = MiddleKey(table);
    if (!middle || !HelpersReady()) {
      ScanRange(table, "", {}, fn);
      return;
    }
    std::string lastKey;  // the last key given to fn: should a helper fail, this connection reads on from there
    bool delivered = false;
    {
      const Result snapshot = db_.Run("SELECT pg_export_snapshot()");
      const std::string id(snapshot.Bytes(0, 0));
      RangeReader lower(std::move(helpers_[0]), id, table, std::nullopt, *middle, kScanBatch);
      RangeReader upper(std::move(helpers_[1]), id, table, *middle, std::nullopt, kScanBatch);
      bool failed = false, stopped = false;
      for (RangeReader* half : {&lower, &upper}) {
        for (std::optional<RowBatch> rows; !failed && !stopped;) {
          try {
            rows = half->Next();
          } catch (const DbError&) {
            failed = true;  // the helper failed: this connection reads the rest
            break;
          }
          if (!rows) break;
          stopped = !Deliver(*rows, fn, lastKey);
          delivered = delivered || !rows->sizes.empty();
        }
      }
      // A helper that read its half to the end is kept for the next scan.
      helpers_ = {lower.Finish(), upper.Finish()};
      if (!failed || stopped) return;
    }
    if (delivered) {
      ScanRange(table, "WHERE key > $1", {Bytes(lastKey)}, fn);
    } else {
      ScanRange(table, "", {}, fn);
    }
  }

  IndexTables& Indexes() override { return indexes_; }
  ServerAccounts* Accounts() override { return &accounts_; }

 private:
  /// Tables of fewer pages than this are read by one connection.
  static constexpr double kSplitFromPages = 256;
  /// Pages sampled for the middle key.
  static constexpr double kSampledPages = 50;

  /// The middle key of a large table in a read snapshot (from the keys of
  /// about kSampledPages pages picked at random); nullopt for a small table,
  /// outside a read snapshot (a write transaction's own changes are not seen
  /// from another connection), or on a standby.
  std::optional<std::string> MiddleKey(const std::string& table) {
    if (!inSnapshot_ || helperRefused_) return std::nullopt;
    // A standby cannot export its snapshot: it reads with one connection.
    const Result size = db_.Run(
        "SELECT CASE WHEN pg_is_in_recovery() THEN 0 "
        "ELSE pg_relation_size($1::text::regclass) / current_setting('block_size')::int8 END",
        {Text(table)});
    const double pages = static_cast<double>(size.Int(0, 0));
    if (pages < kSplitFromPages) return std::nullopt;
    // The share sampled goes as a parameter: written out, it would follow
    // the locale's decimal point.
    const Result middle = db_.Run("SELECT percentile_disc(0.5) WITHIN GROUP (ORDER BY key) FROM " + table +
                                      " TABLESAMPLE SYSTEM ($1)",
                                  {Float8(std::min(100.0, 100.0 * kSampledPages / pages))});
    if (middle.Rows() == 0 || middle.IsNull(0, 0)) return std::nullopt;
    return std::string(middle.Bytes(0, 0));
  }

  /// The helper connections, made when missing; false when the server
  /// refused one (too many connections): large scans are then read by this
  /// connection alone for the rest of the session.
  bool HelpersReady() {
    if (helperRefused_) return false;
    try {
      for (auto& helper : helpers_) {
        if (helper) continue;
        helper = Connection::SameAs(db_);
        // Named for the server's administrators (pg_stat_activity).
        helper->Exec("SET search_path TO " + Quoted(schema_) + "; SET application_name = " +
                     helper->Literal("mvdb scan helper " + schema_));
      }
    } catch (const DbError&) {
      for (auto& helper : helpers_) helper.reset();
      helperRefused_ = true;
    }
    return !helperRefused_;
  }

  /// Calls fn for the rows of the table that `where` selects, in key order;
  /// false when fn stopped the scan.
  bool ScanRange(const std::string& table, const std::string& where, const std::vector<Param>& params,
                 const RecordFn& fn) {
    // A cursor fetched in batches: between two fetches fn may use the connection.
    static std::atomic<long> cursors{0};
    const std::string cursor = "mvdb_scan_" + std::to_string(++cursors);
    db_.Run("DECLARE " + cursor + " BINARY NO SCROLL CURSOR FOR SELECT key, record FROM " + table + " " + where +
                " ORDER BY key",
            params);
    const std::string fetch = "FETCH FORWARD " + std::to_string(kScanBatch) + " FROM " + cursor;
    // The next batch is asked for before this one is used, so that the
    // server works while the client does.
    int next = db_.Send(fetch);
    struct Closer {
      Connection& db;
      const std::string& cursor;
      int& next;
      ~Closer() {
        if (next != 0) db.Discard(next);
        try {
          db.Exec("CLOSE " + cursor);
        } catch (...) {  // the transaction failed: its cursors are gone with it
        }
      }
    } closer{db_, cursor, next};
    while (next != 0) {
      const Result rows = db_.Take(next);
      next = rows.Rows() == kScanBatch ? db_.Send(fetch) : 0;
      if (!Deliver(rows, fn)) return false;
    }
    return true;
  }

  void UseSchema() { db_.Exec("SET search_path TO " + Quoted(schema_)); }

  void ReadRoot() {
    const Result root = db_.Run("SELECT value FROM mv_settings WHERE name = 'directory_root'");
    root_ = root.Rows() > 0 ? std::filesystem::path(std::string(root.Bytes(0, 0))) : std::filesystem::path();
  }

  static std::string TableOf(long long id) { return "mvf_" + std::to_string(id); }

  // Rows of (key, record) to fn; false when fn stopped.
  static bool Deliver(const Result& rows, const RecordFn& fn) {
    std::string key, record;
    for (int row = 0; row < rows.Rows(); ++row) {
      key.assign(rows.Bytes(row, 0));
      record.assign(rows.Bytes(row, 1));
      if (!fn(key, record)) return false;
    }
    return true;
  }

  // The same from a helper's batch; `key` keeps the last key given.
  static bool Deliver(const RowBatch& rows, const RecordFn& fn, std::string& key) {
    std::string record;
    std::size_t at = 0;
    for (const auto& [keySize, recordSize] : rows.sizes) {
      key.assign(rows.bytes, at, keySize);
      record.assign(rows.bytes, at + keySize, recordSize);
      at += keySize + recordSize;
      if (!fn(key, record)) return false;
    }
    return true;
  }

  std::string schema_;
  Connection db_;
  std::array<std::unique_ptr<Connection>, 2> helpers_;  // read the halves of large scans
  bool helperRefused_ = false;
  bool inSnapshot_ = false;  // a read snapshot is open
  PostgresIndexTables indexes_;
  PostgresAccounts accounts_;
  std::filesystem::path root_;
  long long writeWait_ = std::chrono::milliseconds(kWriteWait).count();
};

}  // namespace

std::unique_ptr<SqlBackend> OpenServer(const std::string& address, OpenMode mode, const Credentials& credentials,
                                       std::string& readOnlyReason) {
  auto backend = std::make_unique<PostgresBackend>(ParseServerAddress(address), credentials);
  backend->Attach(mode, readOnlyReason);
  return backend;
}

std::unique_ptr<SqlBackend> CreateServer(const std::string& address, const CreateOptions& options) {
  auto backend = std::make_unique<PostgresBackend>(ParseServerAddress(address));
  backend->Make(options);
  return backend;
}

}  // namespace mvdb::postgres
