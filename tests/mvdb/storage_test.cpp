// Both storages: transactions (directory files included), key order, record
// bytes, batches, and two connections on one database.

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include <libpq-fe.h>

#include "engine_test_support.h"

namespace mvdb {
namespace {

using testing_support::CodeOf;
using testing_support::Failure;
using testing_support::ScratchDir;

class StorageTest : public testing_support::BothStorages {
 protected:
  void Prepare() override {
    address = testing_support::FreshAddress(GetParam(), dir, "base.mvdb");
    CreateOptions options;
    if (OnServer()) options.directoryRoot = dir / "files";
    storage = Storage::Create(address, options);
    storage->CreateFile("F", FileKind::kHashed);
    storage->CreateFile("D", FileKind::kDirectory);
  }
  // Every record of F and D, and every file in D's folder (hidden ones too).
  std::string State() {
    std::string state;
    for (const char* file : {"F", "D"})
      storage->Scan(file, [&](const std::string& key, const std::string& text) {
        state += std::string(file) + ":" + key + "=" + text + " ";
        return true;
      });
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(storage->DirectoryFolder("D")))
      names.insert(entry.path().filename().string());
    for (const auto& name : names) state += name + " ";
    return state;
  }
  ScratchDir dir;
  std::string address;
  std::unique_ptr<Storage> storage;
};

TEST_P(StorageTest, AFailedTransactionOrNestedTransactionUndoesItsOwnWritesDirectoryFilesIncluded) {
  storage->Put("F", "kept", "1");
  storage->Put("D", "kept.txt", "old");
  const std::string before = State();
  EXPECT_THROW(storage->Transaction([&] {
    storage->Put("F", "a", "x");
    storage->Put("F", "kept", "changed");
    storage->Put("D", "kept.txt", "new");
    storage->Put("D", "added.txt", "new");
    storage->Remove("D", "kept.txt");
    storage->CreateFile("G", FileKind::kHashed);
    throw std::runtime_error("stop");
  }), std::runtime_error);
  EXPECT_EQ(State(), before);
  EXPECT_FALSE(storage->HasFile("G"));
  // A failed nested transaction undoes only its own writes.
  storage->Transaction([&] {
    try {
      storage->Transaction([&] {
        storage->Put("F", "inner", "2");
        storage->Put("D", "kept.txt", "2");
        throw DbError(ErrorCode::kBadRecord, "inner fails");
      });
    } catch (const DbError&) {
    }
    storage->Put("F", "after", "3");
  });
  EXPECT_EQ(State(), "F:after=3 F:kept=1 D:kept.txt=old kept.txt ");
}

TEST_P(StorageTest, RecordsKeepEveryByteAndScanAndBatchesGoInByteOrder) {
  const std::string text = std::string("a\xFE\xFD\xFC") + '\0' + "z\xC3\xA9\xE9";
  for (const std::string key : {"b", "a", "B", "\xC3\xA9", "10", "9", "\xE9t\xE9"}) storage->Put("F", key, key + text);
  std::vector<std::string> keys;
  storage->Scan("F", [&](const std::string& key, const std::string& stored) {
    EXPECT_EQ(stored, key + text);
    keys.push_back(key);
    return keys.size() < 6;  // false stops the scan
  });
  EXPECT_EQ(keys, (std::vector<std::string>{"10", "9", "B", "a", "b", "\xC3\xA9"}));
  keys.clear();
  storage->GetMany("F", {"0", "9", "a", "c", "\xE9t\xE9"}, [&](const std::string& key, const std::string& stored) {
    EXPECT_EQ(stored, key + text);
    keys.push_back(key);
    return true;
  });
  EXPECT_EQ(keys, (std::vector<std::string>{"9", "a", "\xE9t\xE9"}));
  storage->Put("F", "k", "first", true);
  EXPECT_EQ(CodeOf([&] { storage->Put("F", "k", "second", true); }), 0x80040042u);
  EXPECT_EQ(*storage->Get("F", "k"), "first");
  // A batch: a key given twice keeps its last text; an empty key refuses it all.
  storage->PutMany("F", {{"k", "1"}, {"m", "2"}, {"k", "3"}});
  EXPECT_EQ(*storage->Get("F", "k") + *storage->Get("F", "m"), "32");
  EXPECT_EQ(CodeOf([&] { storage->PutMany("F", {{"n", "1"}, {"", "2"}}); }), 0x80040050u);
  EXPECT_FALSE(storage->Get("F", "n"));
}

TEST_P(StorageTest, TwoConnectionsSeeEachOthersWritesAndASnapshotSeesOneState) {
  auto other = Storage::Open(address, OpenMode::kReadWrite);
  storage->Put("F", "one", "1");
  other->CreateFile("LATE", FileKind::kHashed);
  other->Put("LATE", "k", "2");
  EXPECT_EQ(*storage->Get("LATE", "k"), "2");
  EXPECT_THROW(storage->ReadSnapshot([&] {
    EXPECT_EQ(*storage->Get("F", "one"), "1");
    other->Put("F", "one", "2");  // the reader does not block the writer
    other->Put("F", "two", "2");
    EXPECT_EQ(*storage->Get("F", "one"), "1");
    EXPECT_FALSE(storage->Get("F", "two"));
    storage->ReadSnapshot([&] { EXPECT_EQ(*storage->Get("F", "one"), "1"); });  // joins
    EXPECT_EQ(Failure([&] { storage->Put("F", "three", "3"); }),
              "0x80040040 cannot write inside a read snapshot of database " + storage->Address() +
                  " (end the reading before writing)");
    throw std::runtime_error("stop");
  }), std::runtime_error);
  EXPECT_EQ(*storage->Get("F", "one"), "2");  // the snapshot ended with the exception
  EXPECT_FALSE(storage->Get("F", "three"));
}

TEST_P(StorageTest, ASnapshotReadsEveryRecordAsItIsAndEveryMissingOneAsMissing) {
  // Reads in a snapshot of a server are kept and read ahead: whatever the
  // order, each look-up must give exactly what the file holds.
  std::map<std::string, std::string> held;
  std::vector<KeyedRecord> records;
  for (int n = 0; n < 400; n += 1 + n % 3) {
    const std::string key = "k" + std::to_string(1000 + n);
    held[key] = "record " + key;
    records.push_back({key, held[key]});
  }
  storage->PutMany("F", records);
  std::mt19937 random(7);
  std::vector<std::string> asked;
  for (int i = 0; i < 600; ++i) asked.push_back("k" + std::to_string(990 + random() % 420));
  storage->ReadSnapshot([&] {
    for (const std::string& key : asked) {
      const auto found = held.find(key);
      EXPECT_EQ(storage->Get("F", key), found == held.end() ? std::nullopt : std::optional(found->second)) << key;
      if (random() % 8 == 0) {
        std::vector<std::string> batch(asked.begin() + random() % 500, asked.end());
        std::sort(batch.begin(), batch.end());
        batch.erase(std::unique(batch.begin(), batch.end()), batch.end());
        std::string got, expected;
        storage->GetMany("F", batch, [&](const std::string& k, const std::string& text) {
          got += k + "=" + text + " ";
          return true;
        });
        for (const std::string& k : batch)
          if (held.contains(k)) expected += k + "=" + held[k] + " ";
        EXPECT_EQ(got, expected);
      }
    }
  });
}

// Begins every key of FillLarge: bytes that SQL text or a C string would mangle.
const std::string kOdd("\0'\\\xff", 4);

// Three megabytes in F (a server reads such a file in two halves at once);
// returns what ScanOfF gives of it.
std::string FillLarge(Storage& storage) {
  std::vector<KeyedRecord> records;
  std::string scanned;
  for (int n = 0; n < 3000; ++n) {
    records.push_back({kOdd + "k" + std::to_string(10000 + n), std::to_string(n) + kOdd + std::string(1000, 'x')});
    scanned += records.back().key + "=" + records.back().text.substr(0, 4) + " ";
  }
  storage.PutMany("F", records);
  return scanned;
}

// The keys and the first bytes of F's records, as a scan gives them, up to
// `upTo` records.
std::string ScanOfF(Storage& storage, std::size_t upTo = -1) {
  std::string seen;
  std::size_t count = 0;
  storage.Scan("F", [&](const std::string& key, const std::string& text) {
    seen += key + "=" + text.substr(0, 4) + " ";
    return ++count < upTo;
  });
  return seen;
}

TEST_P(StorageTest, ALargeScanInASnapshotSeesOneStateInKeyOrderAndStopsWhenAsked) {
  const std::string expected = FillLarge(*storage);
  auto other = Storage::Open(address, OpenMode::kReadWrite);
  storage->ReadSnapshot([&] {
    EXPECT_TRUE(storage->Get("F", kOdd + "k10000"));  // the snapshot is taken
    other->Put("F", kOdd + "k12999", "changed");
    other->Put("F", kOdd + "k99999", "added");
    other->Remove("F", kOdd + "k10001");
    EXPECT_EQ(ScanOfF(*storage), expected);
    EXPECT_EQ(ScanOfF(*storage, 2500), expected.substr(0, expected.find(kOdd + "k12500=")));
    EXPECT_EQ(ScanOfF(*storage, 10), expected.substr(0, expected.find(kOdd + "k10010=")));
  });
  const std::string now = ScanOfF(*storage);
  EXPECT_NE(now.find("k12999=chan " + kOdd + "k99999=adde "), std::string::npos);
  EXPECT_EQ(now.find("k10001="), std::string::npos);
}

TEST_P(StorageTest, ALargeServerScanGoesOnThroughItsOwnConnectionWhenTheHelpersDie) {
  if (!OnServer()) GTEST_SKIP() << "a file is read through one connection";
  const std::string expected = FillLarge(*storage);
  EXPECT_EQ(ScanOfF(*storage), expected);  // the helper connections are made
  std::unique_ptr<PGconn, void (*)(PGconn*)> admin(PQconnectdb(testing_support::TestServer().c_str()), PQfinish);
  const std::string helper = "mvdb scan helper " + address.substr(address.find("schema=") + 7);
  std::unique_ptr<PGresult, void (*)(PGresult*)> ended(
      PQexec(admin.get(), ("SELECT count(*) FILTER (WHERE pg_terminate_backend(pid, 5000)) FROM pg_stat_activity "
                           "WHERE application_name = '" + helper + "'").c_str()),
      PQclear);
  ASSERT_STREQ(PQgetvalue(ended.get(), 0, 0), "2") << PQerrorMessage(admin.get());
  EXPECT_EQ(ScanOfF(*storage), expected);  // read through the first connection
  EXPECT_EQ(ScanOfF(*storage), expected);  // and new helpers
}

INSTANTIATE_ON_BOTH_STORAGES(StorageTest);

}  // namespace
}  // namespace mvdb
