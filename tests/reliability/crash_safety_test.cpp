// A process killed with SIGKILL in the middle of an import or of directory-file
// writes leaves a sound database: every record is whole or absent, nothing of
// the import that was cut lands (on both storages), and the database file
// passes SQLite's integrity_check.
#include <sqlite3.h>

#include <sstream>
#include <streambuf>
#include <thread>

#include "reliability_support.h"

namespace {

using reliability::Child;
using reliability::ExpectedText;
using reliability::ImportLines;
using reliability::KeyOf;

constexpr long kRecords = 20000;

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

/// Opens the database after the crash and returns the number of records of
/// F, failing the test for any that is not whole; a database file must pass
/// integrity_check.
long WholeRecordsAfterTheCrash(const std::string& address) {
  if (!mvdb::Storage::IsServerAddress(address)) {
    sqlite3* file = nullptr;
    EXPECT_EQ(sqlite3_open_v2(address.c_str(), &file, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    std::string check;
    sqlite3_exec(file, "PRAGMA integrity_check",
                 [](void* out, int, char** values, char**) {
                   *static_cast<std::string*>(out) += values[0];
                   return 0;
                 },
                 &check, nullptr);
    sqlite3_close(file);
    EXPECT_EQ(check, "ok");
  }
  auto db = mvdb::Database::Open(address);
  long records = 0;
  db->storage().Scan("F", [&](const std::string& key, const std::string& text) {
    EXPECT_EQ(text, ExpectedText(key, text.size() > 1000 ? 128 * 1024 : 0)) << "record " << key << " is not whole";
    ++records;
    return true;
  });
  return records;
}

class CrashSafety : public mvdb::testing_support::BothStorages {
 protected:
  void Create(mvdb::FileKind kind) {
    address = mvdb::testing_support::CreateFresh(GetParam(), folder, "db.mvdb")->Path();
    mvdb::Database::Open(address)->CreateFile("F", kind);
  }
  reliability::ScratchDir folder;
  std::string address;
};

TEST_P(CrashSafety, ImportKilledHalfwayLandsNothingOfItselfAndKeepsEveryCommittedBatchWhole) {
  Create(mvdb::FileKind::kHashed);
  constexpr long kBatch = 5000;
  Child child([&](int fd) {
    auto db = mvdb::Database::Open(address);
    for (long first = 0; first < kRecords; first += kBatch) {
      SignallingBuffer buffer(ImportLines(first, kBatch), first == kRecords / 2 ? fd : -1);
      std::istream in(&buffer);
      mvdb::jsonl::Import(*db, in);
    }
    return true;
  });
  ASSERT_TRUE(child.WaitSignal()) << "the importer ended before reaching half of its input";
  child.Kill();
  const long records = WholeRecordsAfterTheCrash(address);
  EXPECT_EQ(records % kBatch, 0) << records << " records: an import landed in part";
  EXPECT_GE(records, kRecords / 2);
  std::istringstream again(ImportLines(kRecords, 10));  // the database takes new writes after the crash
  EXPECT_EQ(mvdb::jsonl::Import(*mvdb::Database::Open(address), again).records, 10);
}

INSTANTIATE_ON_BOTH_STORAGES(CrashSafety);

// Directory files are the same folders whatever the storage.
TEST(CrashSafetyOfFolders, DirectoryWriterKilledLeavesOnlyWholeRecords) {
  reliability::ScratchDir folder;
  const std::string address = (folder / "db.mvdb").string();
  mvdb::Database::Create(address)->CreateFile("F", mvdb::FileKind::kDirectory);
  for (int round = 0; round < 3; ++round) {
    Child child([&](int fd) {
      auto db = mvdb::Database::Open(address);
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
  const long whole = WholeRecordsAfterTheCrash(address);  // temporaries left by the kills are never read
  EXPECT_GE(whole, 11);
  long count = 0;
  mvdb::Database::Open(address)->DBSelect("SSELECT F", "", count);
  EXPECT_EQ(count, whole) << "a selection sees temporaries or misses records";
}

}  // namespace
