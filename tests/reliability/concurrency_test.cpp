// Two processes on one database at once, on both storages: a second import
// that waits for the first, or says that another write is in progress.
// (Readers beside an import see whole batches and two exports of the same
// second get two names: the host's TwoHosts tests run the programs so; the
// race for a new name itself: DirectoryFileTest.)

#include <sstream>
#include <thread>

#include "reliability_support.h"

namespace {

using reliability::Child;
using reliability::ImportLines;

long Import(mvdb::Database& db, const std::string& lines) {
  std::istringstream in(lines);
  return mvdb::jsonl::Import(db, in).records;
}

class Concurrency : public mvdb::testing_support::BothStorages {};

TEST_P(Concurrency, ASecondImportWaitsForTheFirstOrSaysAnotherWriteIsInProgress) {
  reliability::ScratchDir folder;
  const std::string path = mvdb::testing_support::CreateFresh(GetParam(), folder, "db.mvdb")->Path();
  mvdb::Database::Open(path)->CreateFile("F");
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
