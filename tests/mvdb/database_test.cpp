// Database, DbFile and records on both storages: reading, writing, not-found
// as a value or an error, error codes and messages, handles outliving their
// database, opening read-only; then what only a database file meets (a file
// that is no database). The routine registry and the selection trace are
// used by the control's tests (Export; Lookup, Filtres and Dispatch).

#include "engine_test_support.h"

namespace mvdb {
namespace {

using testing_support::Attrs;
using testing_support::CodeOf;
using testing_support::Failure;

class DatabaseTest : public testing_support::BothStorages {
 protected:
  Database& db() { return t.db(); }
  testing_support::ScratchDatabase t{GetParam(), {"CIVILAIDANT"}};
};

TEST_P(DatabaseTest, RecordsAreWrittenReadFoundAndDeleted) {
  const DbFile carers = db().DBOpen("CIVILAIDANT");
  DynArray record = carers.DBNew("00012");
  record.SetItem(2, "DUPONT");
  record.SetItem(3, "\xC3\x89lise");
  record.DBWrite();
  DynArray read = carers.DBRead("00012");
  EXPECT_EQ(read.Text(), Attrs({"", "DUPONT", "\xC3\x89lise"}));
  read.SetItem(2, "MARTIN");
  read.DBWrite();  // bound to its file and key
  const std::optional<DynArray> found = carers.Find("00012");
  ASSERT_TRUE(found);
  EXPECT_EQ(std::tuple(found->Item(2), found->BoundKey()), std::tuple("MARTIN", "00012"));
  EXPECT_FALSE(carers.Find("99999") || carers.Find(""));
  EXPECT_EQ(Failure([&] { carers.DBRead("99999"); }), "0x8004000B record \"99999\" not found in file CIVILAIDANT");
  carers.DBDelete("00012");
  EXPECT_FALSE(carers.Exists("00012"));
}

TEST_P(DatabaseTest, EachFailureHasItsOwnCode) {
  EXPECT_EQ(Failure([&] { db().DBOpen("NOSUCHFILE"); }),
            "0x80040010 file NOSUCHFILE does not exist in database " + db().storage().Address());
  EXPECT_EQ(CodeOf([&] { db().CreateFile("CIVILAIDANT"); }), 0x80040011u);
  EXPECT_EQ(CodeOf([&] { Database::Create(db().Path()); }), 0x80040011u);
  EXPECT_EQ(CodeOf([&] { Database::Open(testing_support::FreshAddress(GetParam(), t.dir(), "absent.mvdb")); }),
            0x80040010u);
  EXPECT_EQ(CodeOf([&] { db().DBOpen("CIVILAIDANT").DBNew(""); }), 0x80040050u);
  std::int32_t status = 7;
  EXPECT_EQ(Failure([&] { db().DBCall("CALCCOEFFTXHOR", status, ""); }),
            "0x80040030 no server routine named \"CALCCOEFFTXHOR\"");  // the engine ships none
  DynArray claimed = db().DBOpen("CIVILAIDANT").DBNew("k");
  claimed.DBWriteNew();
  EXPECT_EQ(CodeOf([&] { claimed.DBWriteNew(); }), 0x80040042u);
  EXPECT_EQ(CodeOf([] { DynArray("x").DBWrite(); }), 0x80040060u);  // not bound to a file
}

TEST_P(DatabaseTest, CreateFileAddsItsDictionary) {
  db().CreateFile("STATAIDANT", FileKind::kDirectory);
  EXPECT_EQ(db().storage().Kind("STATAIDANT"), FileKind::kDirectory);
  EXPECT_EQ(db().storage().Kind("DICT STATAIDANT"), FileKind::kHashed);
  EXPECT_EQ(db().FileNames(),
            (std::vector<std::string>{"CIVILAIDANT", "DICT CIVILAIDANT", "DICT STATAIDANT", "STATAIDANT"}));
}

TEST_P(DatabaseTest, ClosedHandlesAndHandlesOutlivingTheDatabaseThrowNotOpen) {
  DbFile carers = db().DBOpen("CIVILAIDANT");
  DbFile copy = carers;
  DynArray record = carers.DBNew("1");
  carers.Close();
  EXPECT_FALSE(copy.IsOpen());
  EXPECT_EQ(CodeOf([&] { copy.DBRead("1"); }), 0x80040060u);
  EXPECT_EQ(CodeOf([&] { record.DBWrite(); }), 0x80040060u);
  DbFile live = db().DBOpen("CIVILAIDANT");
  t.Close();
  EXPECT_EQ(CodeOf([&] { live.Find("1"); }), 0x80040060u);
  EXPECT_EQ(CodeOf([&] { DbFile().DBRead("1"); }), 0x80040060u);
}

TEST_P(DatabaseTest, ReadOnlyOpenReadsAndRefusesEveryWrite) {
  db().DBOpen("CIVILAIDANT").DBNew("1").DBWrite();
  const std::string path = db().Path();
  const std::string shown = db().storage().Address();
  t.Close();
  const auto size = OnServer() ? 0 : std::filesystem::file_size(path);
  auto reader = Database::Open(path, OpenMode::kReadOnly);
  EXPECT_EQ(reader->ReadOnlyReason(), "opened read-only");
  EXPECT_TRUE(reader->DBOpen("CIVILAIDANT").Exists("1"));
  const std::string refusal = " database " + shown + " is read-only (opened read-only)";
  EXPECT_EQ(Failure([&] { reader->DBOpen("CIVILAIDANT").DBNew("2").DBWrite(); }),
            "0x80040040 cannot write record 2 of CIVILAIDANT:" + refusal);
  EXPECT_EQ(Failure([&] { reader->CreateFile("NEW"); }), "0x80040040 cannot write:" + refusal);
  EXPECT_EQ(Failure([&] { reader->CreateIndex("CIVILAIDANT", "2"); }), "0x80040040 cannot write:" + refusal);
  EXPECT_EQ(reader->FileNames(), (std::vector<std::string>{"CIVILAIDANT", "DICT CIVILAIDANT"}));
  reader.reset();
  if (!OnServer()) {
    EXPECT_EQ(std::filesystem::file_size(path), size);
  }
}

INSTANTIATE_ON_BOTH_STORAGES(DatabaseTest);

class DatabaseFileTest : public ::testing::Test {
 protected:
  Database& db() { return t.db(); }
  testing_support::ScratchDatabase t{testing_support::StorageKind::kEmbedded, {"CIVILAIDANT"}};
};

TEST_F(DatabaseFileTest, AFileThatIsNotADatabaseIsRefusedAndLeftAsItIs) {
  const auto empty = t.dir() / "empty.mvdb";
  const auto text = t.dir() / "text.mvdb";
  std::ofstream{empty};
  std::ofstream(text) << "this is not a database, just text that is long enough to be read";
  for (const OpenMode mode : {OpenMode::kReadWrite, OpenMode::kReadOnly}) {
    EXPECT_EQ(Failure([&] { Database::Open(empty, mode); }),
              "0x80040040 cannot open database " + empty.string() + ": not a database (the file is empty)");
    EXPECT_EQ(CodeOf([&] { Database::Open(text, mode); }), 0x80040040u);
  }
  EXPECT_EQ(std::filesystem::file_size(empty), 0u);
  EXPECT_EQ(std::filesystem::file_size(text), 64u);
}

}  // namespace
}  // namespace mvdb
