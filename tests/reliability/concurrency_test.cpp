// Two processes on one database at once, on both storages: two writers
// claiming new directory-file names in the same sequence, as two exports
// started in the same second would; a second import that waits for the
// first, or says that another write is in progress. (Readers beside an import
// see whole batches: the host's TwoHosts tests run the programs so.)
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "mvdb/database.h"
#include "mvdb/jsonl.h"
#include "reliability_support.h"

namespace {

using reliability::Child;
using reliability::ImportLines;

long Import(mvdb::Database& db, const std::string& lines) {
  std::istringstream in(lines);
  return mvdb::jsonl::Import(db, in).records;
}

class Concurrency : public mvdb::testing_support::BothStorages {
 protected:
  /// A new database holding the file, its address in `path`.
  void Create(const std::string& file, mvdb::FileKind kind) {
    auto db = mvdb::testing_support::CreateFresh(GetParam(), folder, "db.mvdb");
    db->CreateFile(file, kind);
    path = db->Path();
  }
  reliability::ScratchDir folder;
  std::string path;
};

TEST_P(Concurrency, TwoWritersClaimingNewNamesNeverShareOne) {
  Create("STATAIDANT", mvdb::FileKind::kDirectory);
  constexpr int kClaims = 150;

  // Each writer claims kClaims names, trying EXPORT_1.csv, EXPORT_2.csv, ...
  // in order as the daily export does, and lists what it won in its own file.
  auto writer = [&](const std::string& tag) {
    return [&, tag](int) {
      auto db = mvdb::Database::Open(path);
      auto file = db->DBOpen("STATAIDANT");
      std::ofstream won(folder / (tag + ".txt"));
      for (int claimed = 0, next = 1; claimed < kClaims; ++next) {
        const std::string name = "EXPORT_" + std::to_string(next) + ".csv";
        mvdb::DynArray record = file.DBNew(name);
        record.SetItem(1, tag);
        record.SetItem(2, name);
        try {
          record.DBWriteNew();
        } catch (const mvdb::DbError& e) {
          if (e.code() != mvdb::ErrorCode::kRecordExists) throw;
          continue;  // the other writer was first: try the next name
        }
        won << name << '\n';
        ++claimed;
      }
      return true;
    };
  };
  Child first(writer("A"));
  Child second(writer("B"));
  ASSERT_TRUE(first.Succeeded());
  ASSERT_TRUE(second.Succeeded());

  auto db = mvdb::Database::Open(path);
  std::set<std::string> names;
  for (const std::string tag : {"A", "B"}) {
    std::ifstream won(folder / (tag + ".txt"));
    for (std::string name; std::getline(won, name);) {
      EXPECT_TRUE(names.insert(name).second) << name << " claimed by both writers";
      const mvdb::DynArray record = db->DBOpen("STATAIDANT").DBRead(name);
      EXPECT_EQ(record.Item(1) + " " + record.Item(2), tag + " " + name) << "overwritten by the other writer";
    }
  }
  // No gap: the names won are exactly EXPORT_1 .. EXPORT_(2 x kClaims).
  EXPECT_EQ(names.size(), 2u * kClaims);
  for (int n = 1; n <= 2 * kClaims; ++n) EXPECT_TRUE(names.count("EXPORT_" + std::to_string(n) + ".csv")) << n;
}

TEST_P(Concurrency, ASecondImportWaitsForTheFirstOrSaysAnotherWriteIsInProgress) {
  Create("F", mvdb::FileKind::kHashed);
  Child first([&](int fd) {  // a long import: it holds the write for a second
    auto db = mvdb::Database::Open(path);
    db->Transaction([&] {
      Import(*db, ImportLines(0, 10));
      Child::Signal(fd);
      std::this_thread::sleep_for(std::chrono::seconds(1));
    });
    return true;
  });
  ASSERT_TRUE(first.WaitSignal());
  auto second = mvdb::Database::Open(path);
  second->storage().SetWriteWait(std::chrono::milliseconds(100));
  EXPECT_EQ(mvdb::testing_support::Failure([&] { Import(*second, ImportLines(10, 10)); }),
            "0x80040040 another write is in progress on " +
                (OnServer() ? second->storage().Address() : std::filesystem::absolute(path).string()) +
                "; try again once it has ended");
  second->storage().SetWriteWait(mvdb::kWriteWait);
  EXPECT_EQ(Import(*second, ImportLines(10, 10)), 10);  // waits for the first, then lands
  EXPECT_TRUE(first.Succeeded());
  long count = 0;
  second->DBSelect("SSELECT F", "", count);
  EXPECT_EQ(count, 20);
}

INSTANTIATE_ON_BOTH_STORAGES(Concurrency);

}  // namespace
