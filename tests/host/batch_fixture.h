// Whole runs of `morvane report` in-process on a copy of a demo database made
// once per test program and size: the database, the output folder, the
// status and standard error.
#pragma once

#include <QStandardPaths>
#include <iterator>
#include <set>
#include <sstream>

#include "demo/generator.h"
#include "host/batch.h"
#include "mvdb/database_copy.h"
#include "mvdb/engine_test_support.h"
#include "support/server_logins.h"

namespace morvane::host {

using mvdb::testing_support::Slurp;
using mvdb::testing_support::StorageKind;
using mvdb::testing_support::TestServer;

/// The lines of `text` that start with `head` (every line by default).
inline std::vector<std::string> LinesStarting(const std::string& text, const std::string& head = "") {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with(head)) lines.push_back(line);
  }
  return lines;
}

/// The words of a command line written as one text (no word holds a blank),
/// then `more` as they are (paths, which may hold blanks).
inline std::vector<std::string> Words(const std::string& line, std::initializer_list<std::string> more = {}) {
  std::istringstream in(line);
  std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
  words.insert(words.end(), more);
  return words;
}

/// Every file under `folder` (SQLite's side files left out), relative paths.
inline std::set<std::string> FilesUnder(const std::filesystem::path& folder) {
  std::set<std::string> files;
  if (!std::filesystem::exists(folder)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.ends_with("-wal") || name.ends_with("-shm") || name.ends_with("-journal")) continue;
    files.insert(std::filesystem::relative(entry.path(), folder).string());
  }
  return files;
}

/// Copies into `to` (a new file) the demo database of that many carers,
/// generated the first time it is asked for in this program.
inline void CopyDemo(int carers, const std::filesystem::path& to) {
  namespace fs = std::filesystem;
  struct Templates {
    fs::path dir = fs::temp_directory_path() / ("morvane-demo-" + std::to_string(::getpid()));
    ~Templates() {
      std::error_code ignored;
      fs::remove_all(dir, ignored);
    }
  };
  static Templates templates;
  const fs::path made = templates.dir / ("demo-" + std::to_string(carers) + ".mvdb");
  if (!fs::exists(made)) {
    fs::create_directories(templates.dir);
    auto db = mvdb::Database::Create(made);
    demo::Options options;
    options.carers = carers;
    demo::Generate(*db, options);
  }  // closed: the copy is whole
  fs::copy_file(made, to);
  fs::copy(fs::path(made.string() + ".d"), fs::path(to.string() + ".d"), fs::copy_options::recursive);
}

/// Base of the batch tests. A suite derives from it and may override
/// `Carers()` (demo size); `Damage(db)` is run on the suite's copy for suites
/// that test bad data. The folder is removed at the end of the suite.
template <typename Suite>
class BatchFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::filesystem::temp_directory_path() /
           ("morvane-batch-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_suite()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    CopyDemo(Suite::Carers(), dir_ / "demo.mvdb");
    auto db = mvdb::Database::Open(dir_ / "demo.mvdb");
    Suite::Damage(*db);
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  static int Carers() { return 40; }
  static void Damage(mvdb::Database&) {}

  /// Runs `morvane report --db <demo> --out <folder>/out` with these
  /// arguments; keeps what it wrote on standard output in `output`, on
  /// standard error in `errors`.
  int Report(std::vector<std::string> args) { return ReportOn(Database(), OutDir(), std::move(args)); }
  /// The same on another database and output folder.
  int ReportOn(const std::filesystem::path& database, const std::filesystem::path& out,
               std::vector<std::string> args) {
    std::vector<std::string> line = {"morvane", "report", "--db", database.string(), "--out", out.string()};
    line.insert(line.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : line) argv.push_back(a.data());
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int status = RunBatch(static_cast<int>(argv.size()), argv.data());
    errors = ::testing::internal::GetCapturedStderr();
    output = ::testing::internal::GetCapturedStdout();
    return status;
  }
  static std::filesystem::path Database() { return dir_ / "demo.mvdb"; }
  /// Copies the suite's demo database into a fresh schema of the tests'
  /// server, its directory files in the suite's folder; sets `schema_` and
  /// `server_`. Needs a test server.
  static std::unique_ptr<mvdb::Database> CopyToServer() {
    schema_ = mvdb::testing_support::FreshSchema();
    server_ = TestServer() + " schema=" + schema_;
    mvdb::CreateOptions options;
    options.directoryRoot = dir_ / "server-files";
    auto copy = mvdb::Database::Create(server_, options);
    mvdb::CopyDatabase(*mvdb::Database::Open(Database().string(), mvdb::OpenMode::kReadOnly), *copy);
    return copy;
  }
  static std::filesystem::path OutDir() { return dir_ / "out"; }
  /// A file in the suite's folder, outside the output folder.
  static std::filesystem::path Pdf(const std::string& name) { return dir_ / name; }

  std::string output;
  std::string errors;
  static inline std::filesystem::path dir_;
  static inline std::string schema_, server_;  ///< the suite's copy on the server ("" without a test server)
};

/// A batch suite whose demo database is copied to the tests' server too, when
/// there is one: `Suite::OnServer(copy)` prepares the copy (by default the
/// session user gets the administrator's rights). A test on the server skips
/// without one, and any test without pdftotext when `Suite::kPdfText`.
template <typename Suite>
class ServerBatchFixture : public BatchFixture<Suite> {
 public:
  static void SetUpTestSuite() {
    BatchFixture<Suite>::SetUpTestSuite();
    if (!TestServer().empty()) Suite::OnServer(*BatchFixture<Suite>::CopyToServer());
  }
  static void OnServer(mvdb::Database& copy) { testing::GiveSessionUserRightsOf(copy, "admin"); }
  static constexpr bool kPdfText = false;
  bool OnTheServer() const { return true; }

 protected:
  void SetUp() override {
    if (Suite::kPdfText && QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
      GTEST_SKIP() << "pdftotext is not available";
    }
    if (static_cast<Suite*>(this)->OnTheServer() && BatchFixture<Suite>::server_.empty()) GTEST_SKIP() << "no test server";
  }
};

/// The same for a suite run on both storages (the embedded case never skips
/// for want of a server).
template <typename Suite>
class BothStoragesBatchFixture : public ServerBatchFixture<Suite>, public ::testing::WithParamInterface<StorageKind> {
 public:
  bool OnTheServer() const { return GetParam() == StorageKind::kServer; }
};

}  // namespace morvane::host
