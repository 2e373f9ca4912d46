// A process killed with SIGKILL in the middle of an import or of directory-file
// writes leaves a sound database: integrity_check is ok and every record is
// whole or absent.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <thread>

#include "mvdb/database.h"
#include "mvdb/jsonl.h"
#include "mvdb/storage.h"
#include "reliability_support.h"

namespace {

using reliability::Child;
using reliability::ExpectedText;
using reliability::KeyOf;

constexpr long kRecords = 100000;

/// JSON Lines of records [first, first + count) of file F.
std::string ImportLines(long first, long count) {
  std::string lines;
  for (long n = first; n < first + count; ++n) {
    const std::string key = KeyOf(n);
    lines += mvdb::jsonl::EncodeLine("F", key, ExpectedText(key));
    lines += '\n';
  }
  return lines;
}

/// Serves a text and signals the parent once half of it has been read.
class SignallingBuffer : public std::streambuf {
 public:
  SignallingBuffer(std::string text, int fd) : text_(std::move(text)), fd_(fd) {}

 protected:
  int_type underflow() override {
    if (offset_ >= text_.size()) return traits_type::eof();
    if (!signalled_ && offset_ >= text_.size() / 2) {
      Child::Signal(fd_);
      signalled_ = true;
    }
    const std::size_t chunk = std::min<std::size_t>(16384, text_.size() - offset_);
    char* begin = text_.data() + offset_;
    setg(begin, begin, begin + chunk);
    offset_ += chunk;
    return traits_type::to_int_type(*begin);
  }

 private:
  std::string text_;
  int fd_;
  std::size_t offset_ = 0;
  bool signalled_ = false;
};

std::string IntegrityCheck(mvdb::Database& db) {
  std::string result;
  char* error = nullptr;
  sqlite3_exec(
      db.storage().Handle(), "PRAGMA integrity_check",
      [](void* out, int, char** values, char**) {
        *static_cast<std::string*>(out) += values[0] ? values[0] : "";
        return 0;
      },
      &result, &error);
  if (error) {
    result += error;
    sqlite3_free(error);
  }
  return result;
}

/// Counts the records of F, failing the test for any that is not whole.
long CountWholeRecords(mvdb::Database& db) {
  long records = 0;
  db.storage().Scan("F", [&](const std::string& key, const std::string& text) {
    EXPECT_EQ(text, ExpectedText(key)) << "record " << key << " is not whole";
    ++records;
    return true;
  });
  return records;
}

std::unique_ptr<mvdb::Database> CreateWithFile(const std::filesystem::path& path, mvdb::FileKind kind) {
  auto db = mvdb::Database::Create(path);
  db->CreateFile("F", kind);
  return db;
}

TEST(CrashSafety, ImportKilledHalfwayLandsNothingAndLeavesTheDatabaseSound) {
  reliability::TempFolder folder("import-kill");
  const auto path = folder.path() / "db.mvdb";
  CreateWithFile(path, mvdb::FileKind::kHashed).reset();
  std::string lines = ImportLines(0, kRecords);

  Child child([&](int fd) {
    auto db = mvdb::Database::Open(path);
    SignallingBuffer buffer(std::move(lines), fd);
    std::istream in(&buffer);
    mvdb::jsonl::Import(*db, in);
    return true;
  });
  ASSERT_TRUE(child.WaitSignal()) << "the importer ended before reaching half of its input";
  child.Kill();

  auto db = mvdb::Database::Open(path);
  EXPECT_EQ(IntegrityCheck(*db), "ok");
  const long records = CountWholeRecords(*db);
  EXPECT_TRUE(records == 0 || records == kRecords) << records << " records: the import is not all or nothing";
  // The database takes new writes after the crash.
  std::istringstream again(ImportLines(0, 10));
  EXPECT_EQ(mvdb::jsonl::Import(*db, again).records, 10);
}

TEST(CrashSafety, BatchedImportKilledKeepsEveryCommittedBatchWhole) {
  reliability::TempFolder folder("batch-kill");
  const auto path = folder.path() / "db.mvdb";
  CreateWithFile(path, mvdb::FileKind::kHashed).reset();
  constexpr long kBatch = 10000;

  Child child([&](int fd) {
    auto db = mvdb::Database::Open(path);
    for (long first = 0; first < kRecords; first += kBatch) {
      std::istringstream in(ImportLines(first, kBatch));
      mvdb::jsonl::Import(*db, in);
      if (first == kRecords / 2) Child::Signal(fd);
    }
    return true;
  });
  ASSERT_TRUE(child.WaitSignal());
  child.Kill();

  auto db = mvdb::Database::Open(path);
  EXPECT_EQ(IntegrityCheck(*db), "ok");
  const long records = CountWholeRecords(*db);
  EXPECT_GE(records, kRecords / 2 + kBatch);
  EXPECT_EQ(records % kBatch, 0) << records << " records: a batch landed in part";
}

TEST(CrashSafety, DirectoryWriterKilledLeavesOnlyWholeRecords) {
  reliability::TempFolder folder("dir-kill");
  const auto path = folder.path() / "db.mvdb";
  CreateWithFile(path, mvdb::FileKind::kDirectory).reset();
  constexpr long kFiles = 400;
  constexpr std::size_t kSize = 128 * 1024;  // long enough to be killed inside a write

  for (int round = 0; round < 3; ++round) {
    Child child([&](int fd) {
      auto db = mvdb::Database::Open(path);
      auto file = db->DBOpen("F");
      for (long n = 0; n < kFiles; ++n) {
        // Rewrites of existing records must keep them whole as well.
        mvdb::DynArray record = file.DBNew(KeyOf(n));
        record.SetText(ExpectedText(KeyOf(n), kSize));
        record.DBWrite();
        if (n == 10) Child::Signal(fd);
      }
      return true;
    });
    ASSERT_TRUE(child.WaitSignal());
    std::this_thread::sleep_for(std::chrono::milliseconds(5 * round));
    child.Kill();
  }

  auto db = mvdb::Database::Open(path);
  auto file = db->DBOpen("F");
  long whole = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path() / "db.mvdb.d" / "F")) {
    const std::string name = entry.path().filename().string();
    if (name.front() == '.') continue;  // a temporary left by the kill: never read
    EXPECT_EQ(file.DBRead(name).Text(), ExpectedText(name, kSize)) << name << " is not whole";
    ++whole;
  }
  EXPECT_GE(whole, 11);
  long count = 0;
  mvdb::DynArray request;
  request.SetItem(1, "SSELECT F");
  db->DBSelect(request.Text(), "", count);
  EXPECT_EQ(count, whole) << "a scan sees temporaries or misses records";
}

}  // namespace
