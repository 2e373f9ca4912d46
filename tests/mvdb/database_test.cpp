// Database, DbFile and records: opening, reading, writing, error codes and
// messages, handles outliving their database, the trace.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "engine_test_support.h"
#include "mvdb/database.h"
#include "mvdb/storage.h"

namespace mvdb {
namespace {

using testing_support::Attrs;
using testing_support::CodeOf;
using testing_support::ScratchDir;

class DatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db = Database::Create(dir / "base.mvdb");
    db->CreateFile("CIVILAIDANT");
  }
  ScratchDir dir;
  std::unique_ptr<Database> db;
};

TEST_F(DatabaseTest, NewRecordWrittenThenReadBackBoundToItsKey) {
  const DbFile carers = db->DBOpen("CIVILAIDANT");
  DynArray record = carers.DBNew("00012");
  record.SetItem(2, "DUPONT");
  record.SetItem(3, "\xC3\x89lise");
  record.DBWrite();
  DynArray read = carers.DBRead("00012");
  EXPECT_EQ(read.Text(), Attrs({"", "DUPONT", "\xC3\x89lise"}));
  EXPECT_EQ(read.BoundKey(), "00012");
  read.SetItem(2, "MARTIN");
  read.DBWrite();
  EXPECT_EQ(carers.DBRead("00012").Item(2), "MARTIN");
  EXPECT_TRUE(carers.Exists("00012"));
  carers.DBDelete("00012");
  EXPECT_FALSE(carers.Exists("00012"));
}

TEST_F(DatabaseTest, MissingRecordFailsWithTheCodeCallersTestAndNamesIt) {
  try {
    db->DBOpen("CIVILAIDANT").DBRead("99999");
    FAIL() << "no error";
  } catch (const DbError& e) {
    EXPECT_EQ(e.number(), 0x8004000Bu);
    EXPECT_TRUE(e.IsNotFound());
    EXPECT_NE(std::string(e.what()).find("99999"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("CIVILAIDANT"), std::string::npos);
  }
}

TEST_F(DatabaseTest, EachFailureHasItsOwnCode) {
  try {
    db->DBOpen("NOSUCHFILE");
    FAIL() << "no error";
  } catch (const DbError& e) {
    EXPECT_EQ(e.code(), ErrorCode::kFileNotFound);
    EXPECT_NE(std::string(e.what()).find("NOSUCHFILE"), std::string::npos);
  }
  EXPECT_EQ(CodeOf([&] { db->CreateFile("CIVILAIDANT"); }), 0x80040011u);
  EXPECT_EQ(CodeOf([&] { Database::Create(dir / "base.mvdb"); }), 0x80040011u);
  EXPECT_EQ(CodeOf([&] { Database::Open(dir / "absent.mvdb"); }), 0x80040010u);
  EXPECT_EQ(CodeOf([&] { db->DBOpen("CIVILAIDANT").DBNew(""); }), 0x80040050u);
  std::int32_t status = 7;
  EXPECT_EQ(CodeOf([&] { db->DBCall("NOPE", status, ""); }), 0x80040030u);
  long count = 0;
  EXPECT_EQ(CodeOf([&] { db->DBSelect(Attrs({"SSELECT CIVILAIDANT", "", "0 x"}), "", count); }), 0x80040050u);
  DynArray claimed = db->DBOpen("CIVILAIDANT").DBNew("k");
  claimed.DBWriteNew();
  EXPECT_EQ(CodeOf([&] { claimed.DBWriteNew(); }), 0x80040042u);
}

TEST_F(DatabaseTest, CreateFileAddsItsDictionary) {
  EXPECT_TRUE(db->FileExists("DICT CIVILAIDANT"));
  db->CreateFile("STATAIDANT", FileKind::kDirectory);
  EXPECT_EQ(db->storage().Kind("STATAIDANT"), FileKind::kDirectory);
  EXPECT_EQ(db->storage().Kind("DICT STATAIDANT"), FileKind::kHashed);
  EXPECT_EQ(db->FileNames(),
            (std::vector<std::string>{"CIVILAIDANT", "DICT CIVILAIDANT", "DICT STATAIDANT", "STATAIDANT"}));
}

TEST_F(DatabaseTest, ClosedHandlesAndHandlesOutlivingTheDatabaseThrowNotOpen) {
  DbFile carers = db->DBOpen("CIVILAIDANT");
  DbFile copy = carers;
  DynArray record = carers.DBNew("1");
  carers.Close();
  EXPECT_FALSE(copy.IsOpen());
  EXPECT_EQ(CodeOf([&] { copy.DBRead("1"); }), 0x80040060u);
  EXPECT_EQ(CodeOf([&] { record.DBWrite(); }), 0x80040060u);
  DbFile live = db->DBOpen("CIVILAIDANT");
  db.reset();
  EXPECT_EQ(CodeOf([&] { live.Exists("1"); }), 0x80040060u);
  EXPECT_EQ(CodeOf([&] { DbFile().DBRead("1"); }), 0x80040060u);
}

TEST_F(DatabaseTest, SelectionRequestIsSplitIntoQueryFileAndColumns) {
  const DbFile carers = db->DBOpen("CIVILAIDANT");
  for (const auto& [key, name] : std::vector<std::pair<std::string, std::string>>{{"2", "B"}, {"1", "A"}}) {
    DynArray r = carers.DBNew(key);
    r.SetItem(2, name);
    r.DBWrite();
  }
  long count = 0;
  const DynArray rows = db->DBSelect(Attrs({"SSELECT CIVILAIDANT PAR 2", "CIVILAIDANT", "2 0"}), "", count);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(rows.Item(1, 1), "A");
  EXPECT_EQ(rows.Item(2, 2), "2");
}

TEST(DatabaseTrace, SelectionsAndCallsAreLoggedToTheNamedFile) {
  ScratchDir dir;
  const auto log = dir / "trace.log";
  ::setenv("MVDB_TRACE", log.c_str(), 1);
  auto db = Database::Create(dir / "base.mvdb");
  ::unsetenv("MVDB_TRACE");
  db->CreateFile("F");
  long count = 0;
  db->DBSelect(Attrs({"SSELECT F", "", "0"}), "", count);
  std::int32_t status = 0;
  EXPECT_THROW(db->DBCall("CALCCOEFFTXHOR", status, ""), DbError);
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("SSELECT F"), std::string::npos);
  EXPECT_NE(text.str().find("0 rows"), std::string::npos);
  EXPECT_NE(text.str().find("CALCCOEFFTXHOR"), std::string::npos);
}

}  // namespace
}  // namespace mvdb
