// A process killed with SIGKILL in the middle of an import or of directory-file
// writes leaves a sound database: integrity_check is ok and every record is
// whole or absent.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <sstream>
#include <streambuf>
#include <thread>

#include "mvdb/database.h"
#include "mvdb/jsonl.h"
#include "reliability_support.h"

namespace {

using reliability::Child;
using reliability::ExpectedText;
using reliability::ImportLines;
using reliability::KeyOf;

constexpr long kRecords = 100000;

/// Serves a text and, given a pipe, signals the parent once half of it has been read.
class SignallingBuffer : public std::streambuf {
 public:
  SignallingBuffer(std::string text, int fd) : text_(std::move(text)), fd_(fd) {}

 protected:
  int_type underflow() override {
    if (offset_ >= text_.size()) return traits_type::eof();
    if (fd_ >= 0 && offset_ >= text_.size() / 2 && !std::exchange(signalled_, true)) Child::Signal(fd_);
    const std::size_t chunk = std::min<std::size_t>(16384, text_.size() - offset_);
    setg(text_.data() + offset_, text_.data() + offset_, text_.data() + offset_ + chunk);
    offset_ += chunk;
    return traits_type::to_int_type(*gptr());
  }

 private:
  std::string text_;
  int fd_;
  std::size_t offset_ = 0;
  bool signalled_ = false;
};

/// Opens the database after the crash: integrity_check must say "ok"; returns
/// the number of records of F, failing the test for any that is not whole.
long WholeRecordsAfterTheCrash(const std::filesystem::path& path) {
  auto db = mvdb::Database::Open(path);
  std::string check;
  sqlite3_exec(db->storage().Handle(), "PRAGMA integrity_check",
               [](void* out, int, char** values, char**) {
                 *static_cast<std::string*>(out) += values[0];
                 return 0;
               },
               &check, nullptr);
  EXPECT_EQ(check, "ok");
  long records = 0;
  db->storage().Scan("F", [&](const std::string& key, const std::string& text) {
    EXPECT_EQ(text, ExpectedText(key, text.size() > 1000 ? 128 * 1024 : 0)) << "record " << key << " is not whole";
    ++records;
    return true;
  });
  return records;
}

class CrashSafety : public ::testing::Test {
 protected:
  void Create(mvdb::FileKind kind) { mvdb::Database::Create(path)->CreateFile("F", kind); }
  reliability::ScratchDir folder;
  const std::filesystem::path path = folder / "db.mvdb";
};

TEST_F(CrashSafety, ImportKilledHalfwayLandsNothingOfItselfAndKeepsEveryCommittedBatchWhole) {
  Create(mvdb::FileKind::kHashed);
  constexpr long kBatch = 25000;
  Child child([&](int fd) {
    auto db = mvdb::Database::Open(path);
    for (long first = 0; first < kRecords; first += kBatch) {
      SignallingBuffer buffer(ImportLines(first, kBatch), first == kRecords / 2 ? fd : -1);
      std::istream in(&buffer);
      mvdb::jsonl::Import(*db, in);
    }
    return true;
  });
  ASSERT_TRUE(child.WaitSignal()) << "the importer ended before reaching half of its input";
  child.Kill();
  const long records = WholeRecordsAfterTheCrash(path);
  EXPECT_EQ(records % kBatch, 0) << records << " records: an import landed in part";
  EXPECT_GE(records, kRecords / 2);
  std::istringstream again(ImportLines(kRecords, 10));  // the database takes new writes after the crash
  EXPECT_EQ(mvdb::jsonl::Import(*mvdb::Database::Open(path), again).records, 10);
}

TEST_F(CrashSafety, DirectoryWriterKilledLeavesOnlyWholeRecords) {
  Create(mvdb::FileKind::kDirectory);
  for (int round = 0; round < 3; ++round) {
    Child child([&](int fd) {
      auto db = mvdb::Database::Open(path);
      auto file = db->DBOpen("F");
      for (long n = 0; n < 400; ++n) {  // rewrites of existing records must keep them whole as well
        mvdb::DynArray record = file.DBNew(KeyOf(n));
        record.SetText(ExpectedText(KeyOf(n), 128 * 1024));  // long enough to be killed inside a write
        record.DBWrite();
        if (n == 10) Child::Signal(fd);
      }
      return true;
    });
    ASSERT_TRUE(child.WaitSignal());
    std::this_thread::sleep_for(std::chrono::milliseconds(5 * round));
    child.Kill();
  }
  const long whole = WholeRecordsAfterTheCrash(path);  // temporaries left by the kills are never read
  EXPECT_GE(whole, 11);
  long count = 0;
  mvdb::Database::Open(path)->DBSelect("SSELECT F", "", count);
  EXPECT_EQ(count, whole) << "a selection sees temporaries or misses records";
}

}  // namespace
