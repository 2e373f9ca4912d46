// SQLite storage: transactions, write hooks, key order, and two connections
// on one database file.
#include <gtest/gtest.h>

#include <fstream>

#include "engine_test_support.h"
#include "mvdb/storage.h"

namespace mvdb {
namespace {

using testing_support::CodeOf;
using testing_support::ScratchDir;

class StorageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    storage = Storage::Open(dir / "base.mvdb", true);
    storage->CreateFile("F", FileKind::kHashed);
  }
  ScratchDir dir;
  std::unique_ptr<Storage> storage;
};

TEST_F(StorageTest, ExceptionInsideTransactionRollsEveryWriteBack) {
  storage->Put("F", "kept", "1");
  EXPECT_THROW(storage->Transaction([&] {
    storage->Put("F", "a", "x");
    storage->Put("F", "kept", "changed");
    storage->CreateFile("G", FileKind::kHashed);
    throw std::runtime_error("stop");
  }),
               std::runtime_error);
  EXPECT_FALSE(storage->Get("F", "a"));
  EXPECT_EQ(*storage->Get("F", "kept"), "1");
  EXPECT_FALSE(storage->HasFile("G"));
}

TEST_F(StorageTest, FailedNestedTransactionUndoesOnlyItsOwnWrites) {
  storage->Transaction([&] {
    storage->Put("F", "outer", "1");
    try {
      storage->Transaction([&] {
        storage->Put("F", "inner", "2");
        throw DbError(ErrorCode::kBadRecord, "inner fails");
      });
    } catch (const DbError&) {
    }
    storage->Put("F", "after", "3");
  });
  EXPECT_TRUE(storage->Get("F", "outer"));
  EXPECT_FALSE(storage->Get("F", "inner"));
  EXPECT_TRUE(storage->Get("F", "after"));
}

TEST_F(StorageTest, HooksSeeBeforeAndAfterAndCanVetoTheWrite) {
  std::vector<std::string> seen;
  storage->AddWriteHook([&](const std::string& file, const std::string& key, const std::optional<std::string>& before,
                            const std::optional<std::string>& after) {
    seen.push_back(file + ":" + key + ":" + before.value_or("-") + ">" + after.value_or("-"));
    if (after && *after == "veto") throw DbError(ErrorCode::kInvalidArgument, "vetoed");
  });
  storage->Put("F", "k", "1");
  storage->Put("F", "k", "2");
  storage->Remove("F", "k");
  storage->Remove("F", "missing");
  EXPECT_EQ(seen, (std::vector<std::string>{"F:k:->1", "F:k:1>2", "F:k:2>-"}));
  EXPECT_EQ(CodeOf([&] { storage->Put("F", "v", "veto"); }), 0x80040050u);
  EXPECT_FALSE(storage->Get("F", "v"));
}

TEST_F(StorageTest, ScanIsInByteOrderAndStops) {
  for (const std::string key : {"b", "a", "B", "\xC3\xA9", "10", "9"}) storage->Put("F", key, "r" + key);
  std::vector<std::string> keys;
  storage->Scan("F", [&](const std::string& key, const std::string& text) {
    EXPECT_EQ(text, "r" + key);
    keys.push_back(key);
    return true;
  });
  EXPECT_EQ(keys, (std::vector<std::string>{"10", "9", "B", "a", "b", "\xC3\xA9"}));
  int visited = 0;
  storage->Scan("F", [&](const std::string&, const std::string&) { return ++visited < 2; });
  EXPECT_EQ(visited, 2);
}

TEST_F(StorageTest, MustBeNewRefusesATakenKeyAndKeepsTheRecord) {
  storage->Put("F", "k", "first", true);
  EXPECT_EQ(CodeOf([&] { storage->Put("F", "k", "second", true); }), 0x80040042u);
  EXPECT_EQ(*storage->Get("F", "k"), "first");
}

TEST_F(StorageTest, RecordsKeepEveryByteOfTheirText) {
  const std::string text = std::string("a\xFE\xFD\xFC") + '\0' + "z\xC3\xA9";
  storage->Put("F", "k", text);
  EXPECT_EQ(*storage->Get("F", "k"), text);
}

TEST_F(StorageTest, UnknownFilesEmptyKeysAndBadPathsFailWithTheirCodes) {
  EXPECT_EQ(CodeOf([&] { storage->Get("NOPE", "k"); }), 0x80040010u);
  EXPECT_EQ(CodeOf([&] { storage->Put("F", "", "x"); }), 0x80040050u);
  EXPECT_EQ(CodeOf([&] { storage->CreateFile("F", FileKind::kHashed); }), 0x80040011u);
  EXPECT_EQ(CodeOf([&] { Storage::Open(dir / "missing.mvdb", false); }), 0x80040010u);
  EXPECT_EQ(CodeOf([&] { Storage::Open(dir / "base.mvdb", true); }), 0x80040011u);
  std::ofstream(dir / "garbage.mvdb") << "this is not a database, just text that is long enough to be read";
  EXPECT_EQ(CodeOf([&] { Storage::Open(dir / "garbage.mvdb", false); }), 0x80040040u);
}

TEST_F(StorageTest, TwoConnectionsSeeEachOthersWrites) {
  auto other = Storage::Open(dir / "base.mvdb", false);
  storage->Put("F", "one", "1");
  EXPECT_EQ(*other->Get("F", "one"), "1");
  other->CreateFile("LATE", FileKind::kHashed);
  other->Put("LATE", "k", "2");
  EXPECT_TRUE(storage->HasFile("LATE"));
  EXPECT_EQ(*storage->Get("LATE", "k"), "2");
}

TEST_F(StorageTest, ReadSnapshotSeesOneStateWhileAnotherConnectionWrites) {
  auto other = Storage::Open(dir / "base.mvdb", false);
  storage->Put("F", "one", "1");
  EXPECT_THROW(storage->ReadSnapshot([&] {
    EXPECT_EQ(*storage->Get("F", "one"), "1");
    other->Put("F", "one", "2");  // the reader does not block the writer
    other->Put("F", "two", "2");
    EXPECT_EQ(*storage->Get("F", "one"), "1");
    EXPECT_FALSE(storage->Get("F", "two"));
    throw std::runtime_error("stop");
  }),
               std::runtime_error);
  EXPECT_EQ(*storage->Get("F", "one"), "2");  // the snapshot ended with the exception

  storage->ReadSnapshot([&] {
    storage->Put("F", "three", "3");  // nobody wrote meanwhile: the write lands
    storage->ReadSnapshot([&] { EXPECT_EQ(*storage->Get("F", "three"), "3"); });
  });
  EXPECT_EQ(*other->Get("F", "three"), "3");
}

}  // namespace
}  // namespace mvdb
