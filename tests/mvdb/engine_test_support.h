// Helpers of the engine's tests (the demo, reliability and host tests use them
// too): a scratch folder and database on either storage, record texts,
// failures as text, and the small absence database of the query tests.
//
// Suites that run on both storages are parameterised by StorageKind. The
// server is the one MORVANE_TEST_PG names (ctest starts a throwaway cluster
// and sets it); without it the server cases skip. Each server database is a
// fresh schema of that server.
#pragma once

#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <ostream>
#include <utility>

#include "mvdb/database.h"
#include "mvdb/storage.h"

namespace mvdb::testing_support {

/// A fresh folder under the system's temporary folder, removed with its content.
class ScratchDir {
 public:
  ScratchDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("mvdb-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

/// The bytes of a file ("" when it cannot be read).
inline std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

/// Texts joined with a mark: attributes by default.
inline std::string Join(std::initializer_list<std::string> parts, char mark = kAttributeMark) {
  std::string text;
  for (const auto& part : parts) {
    if (&part != parts.begin()) text.push_back(mark);
    text += part;
  }
  return text;
}
inline std::string Attrs(std::initializer_list<std::string> parts) { return Join(parts); }
inline std::string Values(std::initializer_list<std::string> parts) { return Join(parts, kValueMark); }

/// A record with the given attributes set, the others empty.
inline std::string With(const std::vector<std::pair<int, std::string>>& attributes) {
  DynArray record;
  for (const auto& [n, text] : attributes) record.SetItem(n, text);
  return record.Text();
}

/// What fn threw: "0x<code> <message>", or "no error".
template <class Fn>
std::string Failure(Fn fn) {
  try {
    fn();
  } catch (const DbError& e) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X ", e.number());
    return code + std::string(e.what());
  }
  return "no error";
}

/// The code of the DbError fn throws, 0 when it throws nothing.
template <class Fn>
std::uint32_t CodeOf(Fn fn) {
  const std::string failure = Failure(fn);
  return failure == "no error" ? 0 : static_cast<std::uint32_t>(std::stoul(failure.substr(2, 8), nullptr, 16));
}

/// Where a test database lives.
enum class StorageKind { kEmbedded, kServer };

inline void PrintTo(StorageKind kind, std::ostream* out) {
  *out << (kind == StorageKind::kEmbedded ? "embedded" : "server");
}

/// The address of the tests' server ("" when MORVANE_TEST_PG is not set).
inline std::string TestServer() {
  const char* address = std::getenv("MORVANE_TEST_PG");
  return address ? address : "";
}

/// A fresh schema name on the tests' server, never used before.
inline std::string FreshSchema() {
  static std::atomic<int> counter{0};
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  return "t" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + "_" + std::to_string(now % 1000000);
}

/// The address of a database not made yet: a file in `dir`, or a fresh
/// schema of the tests' server.
inline std::string FreshAddress(StorageKind kind, const ScratchDir& dir, const std::string& name = "test.mvdb") {
  if (kind == StorageKind::kEmbedded) return (dir / name).string();
  return TestServer() + " schema=" + FreshSchema();
}

/// Creates a database at a fresh address; a server database keeps its
/// directory files in `dir`/files.
inline std::unique_ptr<Database> CreateFresh(StorageKind kind, const ScratchDir& dir,
                                             const std::string& name = "test.mvdb") {
  CreateOptions options;
  if (kind == StorageKind::kServer) options.directoryRoot = dir / (name + ".files");
  return Database::Create(FreshAddress(kind, dir, name), options);
}

/// A new database in a scratch folder ("test.mvdb"), or on the tests' server,
/// holding these hashed and directory files. Without a server, a server
/// database is not made (db() must not be used: the suite skips, see BothStorages).
class ScratchDatabase {
 public:
  explicit ScratchDatabase(StorageKind kind = StorageKind::kEmbedded, std::initializer_list<const char*> hashed = {},
                           std::initializer_list<const char*> directories = {}) {
    if (kind == StorageKind::kServer && TestServer().empty()) return;
    db_ = CreateFresh(kind, dir_);
    for (const char* file : hashed) db_->CreateFile(file);
    for (const char* file : directories) db_->CreateFile(file, FileKind::kDirectory);
  }
  Database& db() { return *db_; }
  Storage& storage() { return db_->storage(); }
  const ScratchDir& dir() const { return dir_; }
  void Put(const std::string& file, const std::string& key, const std::string& text) {
    storage().Put(file, key, text);
  }
  /// Dictionary entry of a field: kind, then attributes 2..7.
  void Dict(const std::string& file, const std::string& name, std::initializer_list<std::string> entry) {
    Put("DICT " + file, name, Join(entry));
  }
  /// Closes the database (to reopen it in another way).
  void Close() { db_.reset(); }

 private:
  ScratchDir dir_;
  std::unique_ptr<Database> db_;
};

/// Base of the suites run on both storages: the server case skips when no
/// server is given; otherwise the suite's Prepare() runs.
class BothStorages : public ::testing::TestWithParam<StorageKind> {
 protected:
  void SetUp() override {
    if (GetParam() == StorageKind::kServer && TestServer().empty())
      GTEST_SKIP() << "no test server (MORVANE_TEST_PG is not set; ctest sets it)";
    Prepare();
  }
  virtual void Prepare() {}
  bool OnServer() const { return GetParam() == StorageKind::kServer; }
};

/// "Embedded" or "Server", the end of each parameterised test's name.
inline std::string StorageName(const ::testing::TestParamInfo<StorageKind>& info) {
  return info.param == StorageKind::kEmbedded ? "Embedded" : "Server";
}

#define INSTANTIATE_ON_BOTH_STORAGES(Suite)                                                                   \
  INSTANTIATE_TEST_SUITE_P(Storages, Suite,                                                                   \
                           ::testing::Values(::mvdb::testing_support::StorageKind::kEmbedded,                 \
                                             ::mvdb::testing_support::StorageKind::kServer),                  \
                           ::mvdb::testing_support::StorageName)

/// Absences (key = carer code 5 + reason 2 + first day 5) and their carers,
/// with the dictionary names the control's queries use.
inline void FillAbsences(ScratchDatabase& t) {
  t.db().CreateFile("CIVILAIDANT");
  t.db().CreateFile("ABSENCESAIDANT");
  // carer: 2 surname, 3 first name, 11 town, 31 sector
  t.Put("CIVILAIDANT", "00001", With({{2, "MARTIN"}, {3, "Paul"}, {11, "PARIS"}, {31, "001"}}));
  t.Put("CIVILAIDANT", "00002", With({{2, "DURAND"}, {3, "Anne"}, {11, "LYON"}, {31, "002"}}));
  t.Put("CIVILAIDANT", "00003", With({{2, "MARTIN"}, {3, "Alice"}, {11, "PARIS"}, {31, "001"}}));
  t.Put("CIVILAIDANT", "00004", With({{2, "BERNARD"}, {3, "Luc"}, {11, "PAU"}, {31, "002"}}));
  // absence: 1 start half-day, 2 last day, 3 end half-day, 10 return date, 17 contracts, 28 to validate
  const std::vector<std::pair<std::string, std::string>> absences = {
      {"000010316000", With({{1, "1"}, {2, "16010"}, {3, "2"}, {17, "C1"}})},
      {"000010616050", With({{1, "2"}, {2, "16055"}, {3, "1"}, {10, "16056"}, {17, Values({"C1", "C2"})}})},
      {"000010915990", With({{1, "1"}, {2, "16002"}, {3, "2"}})},
      {"000011016100", With({{1, "1"}, {2, "16120"}, {3, "2"}})},
      {"000021216020", With({{1, "1"}, {2, "16030"}, {3, "2"}, {17, "C3"}})},
      {"000021716200", With({{1, "1"}, {2, "16210"}, {3, "2"}})},
      {"000022216040", With({{1, "1"}, {2, "16041"}, {3, "2"}, {28, "1"}})},
      {"000022916001", With({{1, "1"}, {2, ""}, {3, "2"}})},
      {"000033016005", With({{1, "1"}, {2, "16006"}, {3, "2"}, {28, "1"}})},
      {"000034216010", With({{1, "1"}, {2, "16012"}, {3, "2"}})},
      {"000035016030", With({{1, "1"}, {2, "16031"}, {3, "2"}})},
      {"000042316008", With({{1, "1"}, {2, "16009"}, {3, "2"}})},
      {"000042516100", With({{1, "1"}, {2, "16101"}, {3, "2"}})},
  };
  for (const auto& [key, text] : absences) t.Put("ABSENCESAIDANT", key, text);
  // dictionary: kind, 2, 3, 4, justification, index flag, description
  t.Dict("ABSENCESAIDANT", "NumMotifAidant", {"K", "6", "2", "", "R", "1", "reason"});
  t.Dict("ABSENCESAIDANT", "DebAbsAidant", {"K", "8", "5", "", "R", "1", "first day"});
  t.Dict("ABSENCESAIDANT", "FinAbsAidant", {"A", "2", "", "", "R", "", "last day"});
  t.Dict("ABSENCESAIDANT", "CodeSectAbs", {"T", "CIVILAIDANT", "@ID[1,5]", "31", "L", "", "sector"});
  t.Dict("ABSENCESAIDANT", "CommuneAbsAidant", {"T", "CIVILAIDANT", "@ID[1,5]", "11", "L", "", "town"});
  t.Dict("ABSENCESAIDANT", "NomAidant", {"T", "CIVILAIDANT", "@ID[1,5]", "2", "L", "", "surname"});
  t.Dict("ABSENCESAIDANT", "PrenomAidant", {"T", "CIVILAIDANT", "@ID[1,5]", "3", "L", "", "first name"});
}

}  // namespace mvdb::testing_support
