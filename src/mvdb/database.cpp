// Database, DbFile and Client on top of Storage, the query engine and the
// routine registry.
#include "mvdb/database.h"

#include <sstream>

#include "mvdb/directory_files.h"
#include "mvdb/file_binding.h"
#include "mvdb/numbers.h"
#include "mvdb/query/engine.h"
#include "mvdb/routines.h"
#include "mvdb/storage.h"
#include "mvdb/trace.h"

namespace mvdb {
namespace {

/// What open DbFiles and bound records share with their Database: the storage
/// pointer is cleared when the Database goes away, so late use throws kNotOpen
/// instead of touching freed memory.
struct DatabaseState {
  Storage* storage = nullptr;
  std::filesystem::path path;
};

const std::string kDictionaryPrefix = "DICT ";

std::vector<int> ParseAttributeList(const std::string& text) {
  std::vector<int> attributes;
  std::istringstream in(text);
  std::string token;
  while (in >> token) {
    const auto number = ParseCount(token);
    if (!number)
      throw DbError(ErrorCode::kInvalidArgument,
                    "DBSelect: attribute list \"" + text + "\" holds \"" + token + "\", not an attribute number");
    attributes.push_back(static_cast<int>(*number));
  }
  if (attributes.empty()) attributes.push_back(0);
  return attributes;
}

}  // namespace

// ---------------------------------------------------------------- DbFile

struct DbFile::Impl {
  std::shared_ptr<DatabaseState> state;
  std::string name;
  bool closed = false;

  Storage& storage() const {
    if (closed || !state->storage)
      throw DbError(ErrorCode::kNotOpen, "file " + name + " is closed (open it again with DBOpen)");
    return *state->storage;
  }
};

namespace {

class RecordBinding final : public FileBinding {
 public:
  RecordBinding(std::shared_ptr<DbFile::Impl> file, std::string key) : file_(std::move(file)), key_(std::move(key)) {}
  const std::string& Key() const override { return key_; }
  void Write(const std::string& text, bool mustBeNew) const override {
    file_->storage().Put(file_->name, key_, text, mustBeNew);
  }

 private:
  std::shared_ptr<DbFile::Impl> file_;
  std::string key_;
};

}  // namespace

DbFile::DbFile() = default;
DbFile::DbFile(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}

const std::string& DbFile::Name() const {
  static const std::string none;
  return impl_ ? impl_->name : none;
}

bool DbFile::IsOpen() const { return impl_ && !impl_->closed && impl_->state->storage; }

namespace {
Storage& StorageOf(const std::shared_ptr<DbFile::Impl>& impl) {
  if (!impl) throw DbError(ErrorCode::kNotOpen, "the file handle was never opened (use DBOpen)");
  return impl->storage();
}
}  // namespace

DynArray DbFile::DBRead(const std::string& key) const {
  std::optional<DynArray> record = Find(key);
  if (!record)
    throw DbError(ErrorCode::kRecordNotFound, "record \"" + key + "\" not found in file " + impl_->name);
  return std::move(*record);
}

std::optional<DynArray> DbFile::Find(const std::string& key) const {
  Storage& storage = StorageOf(impl_);
  if (key.empty()) return std::nullopt;
  std::optional<std::string> text = storage.Get(impl_->name, key);
  if (!text) return std::nullopt;
  DynArray record(*text);
  record.Bind(std::make_shared<RecordBinding>(impl_, key));
  return record;
}

DynArray DbFile::DBNew(const std::string& key) const {
  Storage& storage = StorageOf(impl_);
  if (key.empty()) throw DbError(ErrorCode::kInvalidArgument, "DBNew: empty key in file " + impl_->name);
  if (storage.Kind(impl_->name) == FileKind::kDirectory) dirfile::ValidateKey(key);
  DynArray record;
  record.Bind(std::make_shared<RecordBinding>(impl_, key));
  return record;
}

bool DbFile::Exists(const std::string& key) const { return StorageOf(impl_).Get(impl_->name, key).has_value(); }

void DbFile::DBDelete(const std::string& key) const { StorageOf(impl_).Remove(impl_->name, key); }

void DbFile::Close() {
  if (impl_) impl_->closed = true;
}

// ---------------------------------------------------------------- Database

struct Database::Impl {
  std::shared_ptr<DatabaseState> state = std::make_shared<DatabaseState>();
  std::unique_ptr<Storage> storage;
  std::unique_ptr<QueryEngine> queries;  // declared after storage: destroyed first
  RoutineRegistry routines;
  std::unique_ptr<Trace> trace;

  ~Impl() { state->storage = nullptr; }
};

Database::Database() : impl_(std::make_unique<Impl>()) {}
Database::~Database() = default;

namespace {
// Wires a freshly opened storage into a Database's parts.
void Assemble(Database::Impl& impl, std::unique_ptr<Storage> storage, const std::filesystem::path& path) {
  impl.storage = std::move(storage);
  impl.state->storage = impl.storage.get();
  impl.state->path = path;
  impl.queries = std::make_unique<QueryEngine>(*impl.storage);
  impl.trace = Trace::FromEnvironment();
}
}  // namespace

std::unique_ptr<Database> Database::Open(const std::string& address, OpenMode mode, const Credentials& credentials) {
  std::unique_ptr<Database> db(new Database());
  Assemble(*db->impl_, Storage::Open(address, mode, credentials), address);
  return db;
}

std::unique_ptr<Database> Database::Create(const std::string& address, const CreateOptions& options) {
  std::unique_ptr<Database> db(new Database());
  Assemble(*db->impl_, Storage::Create(address, options), address);
  return db;
}

const std::filesystem::path& Database::Path() const { return impl_->state->path; }

std::filesystem::path Database::DirectoryFolder(const std::string& fileName) const {
  return impl_->storage->DirectoryFolder(fileName);
}

std::filesystem::path Database::DirectoryRoot() const {
  // "<root>/" for the empty name: its parent is the root itself.
  return impl_->storage->DirectoryFolder("").parent_path();
}

const std::string& Database::ReadOnlyReason() const { return impl_->storage->ReadOnlyReason(); }

DbFile Database::DBOpen(const std::string& fileName) {
  if (!impl_->storage->HasFile(fileName))
    throw DbError(ErrorCode::kFileNotFound,
                  "file " + fileName + " does not exist in database " + impl_->storage->Address());
  auto file = std::make_shared<DbFile::Impl>();
  file->state = impl_->state;
  file->name = fileName;
  return DbFile(std::move(file));
}

DynArray Database::DBSelect(const std::string& request, const std::string& /*variant*/, long& count) {
  const auto started = std::chrono::steady_clock::now();
  const DynArray parts(request);
  count = 0;
  try {
    DynArray result = impl_->queries->Select(parts.Item(1), parts.Item(2), ParseAttributeList(parts.Item(3)), count);
    impl_->trace->Log("DBSelect", request, std::to_string(count) + " rows, " + impl_->queries->LastAccessPath(),
                      std::chrono::steady_clock::now() - started);
    return result;
  } catch (const std::exception& e) {
    impl_->trace->Log("DBSelect", request, std::string("failed: ") + e.what(),
                      std::chrono::steady_clock::now() - started);
    throw;
  }
}

DynArray Database::DBCall(const std::string& routine, std::int32_t& status, const std::string& arguments) {
  const auto started = std::chrono::steady_clock::now();
  status = -1;
  const Routine* fn = impl_->routines.Find(routine);
  if (!fn) {
    impl_->trace->Log("DBCall " + routine, arguments, "unknown routine", std::chrono::steady_clock::now() - started);
    throw DbError(ErrorCode::kUnknownRoutine, "no server routine named \"" + routine + "\"");
  }
  try {
    DynArray answer = (*fn)(*this, DynArray(arguments));
    status = 0;
    impl_->trace->Log("DBCall " + routine, arguments, "answer " + answer.Text(),
                      std::chrono::steady_clock::now() - started);
    return answer;
  } catch (const DbError& e) {
    impl_->trace->Log("DBCall " + routine, arguments, std::string("failed: ") + e.what(),
                      std::chrono::steady_clock::now() - started);
    throw;
  } catch (const std::exception& e) {
    impl_->trace->Log("DBCall " + routine, arguments, std::string("failed: ") + e.what(),
                      std::chrono::steady_clock::now() - started);
    throw DbError(ErrorCode::kRoutineFailed, "routine " + routine + " failed: " + e.what());
  }
}

void Database::CreateFile(const std::string& fileName, FileKind kind) {
  Storage& storage = *impl_->storage;
  if (storage.HasFile(fileName)) throw DbError(ErrorCode::kFileExists, "file " + fileName + " already exists");
  const bool isDictionary = fileName.rfind(kDictionaryPrefix, 0) == 0;
  storage.Transaction([&] {
    storage.CreateFile(fileName, kind);
    const std::string dictionary = kDictionaryPrefix + fileName;
    if (!isDictionary && !storage.HasFile(dictionary)) storage.CreateFile(dictionary, FileKind::kHashed);
  });
}

bool Database::FileExists(const std::string& fileName) const { return impl_->storage->HasFile(fileName); }

std::vector<std::string> Database::FileNames() const { return impl_->storage->Files(); }

void Database::CreateIndex(const std::string& fileName, const std::string& field) {
  if (!impl_->storage->HasFile(fileName))
    throw DbError(ErrorCode::kFileNotFound, "file " + fileName + " does not exist");
  impl_->queries->CreateIndex(fileName, field);
}

void Database::Transaction(const std::function<void()>& work) { impl_->storage->Transaction(work); }

void Database::ReadSnapshot(const std::function<void()>& work) { impl_->storage->ReadSnapshot(work); }

Storage& Database::storage() { return *impl_->storage; }
QueryEngine& Database::queries() { return *impl_->queries; }
RoutineRegistry& Database::routines() { return impl_->routines; }

}  // namespace mvdb
