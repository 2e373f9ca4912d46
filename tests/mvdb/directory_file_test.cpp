// Directory-type files: one OS file per record, line per attribute, spreadsheet
// files with BOM and CR LF, atomic replacement and the race for a new name.
#include <gtest/gtest.h>

#include <fstream>
#include <latch>
#include <sstream>
#include <thread>

#include "engine_test_support.h"
#include "mvdb/database.h"
#include "mvdb/directory_files.h"
#include "mvdb/storage.h"

namespace mvdb {
namespace {

using testing_support::CodeOf;
using testing_support::ScratchDir;

std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class DirectoryFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db = Database::Create(dir / "base.mvdb");
    db->CreateFile("STAT", FileKind::kDirectory);
  }
  std::filesystem::path Folder() const { return dir / "base.mvdb.d" / "STAT"; }
  ScratchDir dir;
  std::unique_ptr<Database> db;
};

TEST_F(DirectoryFileTest, RecordIsAFileWithOneLinePerAttribute) {
  DynArray record = db->DBOpen("STAT").DBNew("export.txt");
  record.SetText("line 1\xFEv1\xFDv2\xFC" "s\xFE\xFE");
  record.DBWrite();
  EXPECT_EQ(Slurp(Folder() / "export.txt"), "line 1\nv1\xFDv2\xFCs\n\n\n");
  EXPECT_EQ(db->DBOpen("STAT").DBRead("export.txt").Text(), "line 1\xFEv1\xFDv2\xFC" "s\xFE\xFE");
}

TEST_F(DirectoryFileTest, SpreadsheetFilesGetAMarkAndCrLfAndReadBackTheSame) {
  const std::string text = "Nom;Pr\xC3\xA9nom\xFE" "DUPONT;\xC3\x89lise\xFE";
  for (const std::string key : {"AbsAidant-1.csv", "OTHER.CSV"}) {
    DynArray record = db->DBOpen("STAT").DBNew(key);
    record.SetText(text);
    record.DBWrite();
    EXPECT_EQ(Slurp(Folder() / key), "\xEF\xBB\xBFNom;Pr\xC3\xA9nom\r\nDUPONT;\xC3\x89lise\r\n\r\n");
    EXPECT_EQ(db->DBOpen("STAT").DBRead(key).Text(), text);
  }
}

TEST_F(DirectoryFileTest, KeysThatCannotNameAFileAreRefused) {
  const DbFile stat = db->DBOpen("STAT");
  for (const std::string& key : std::vector<std::string>{"", "../escape", "a/b", ".hidden", "a..b", std::string("nul\0x", 5)})
    EXPECT_EQ(CodeOf([&] { stat.DBNew(key); }), 0x80040050u) << key;
  EXPECT_EQ(CodeOf([&] { db->storage().Put("STAT", "../x", "y"); }), 0x80040050u);
  EXPECT_FALSE(std::filesystem::exists(dir / "base.mvdb.d" / "x"));
}

TEST_F(DirectoryFileTest, ReplacementLeavesNoTemporaryAndTemporariesStayHidden) {
  DynArray record = db->DBOpen("STAT").DBNew("r.txt");
  record.SetText("old");
  record.DBWrite();
  record.SetText("new");
  record.DBWrite();
  std::ofstream(Folder() / ".tmp-leftover") << "half";
  std::ofstream(Folder() / "b.txt") << "b\n";
  std::vector<std::string> keys;
  std::vector<std::string> files;
  db->storage().Scan("STAT", [&](const std::string& key, const std::string&) {
    keys.push_back(key);
    return true;
  });
  for (const auto& entry : std::filesystem::directory_iterator(Folder())) files.push_back(entry.path().filename());
  EXPECT_EQ(keys, (std::vector<std::string>{"b.txt", "r.txt"}));
  EXPECT_EQ(files.size(), 3u);  // the two records and the planted leftover only
  EXPECT_EQ(db->DBOpen("STAT").DBRead("r.txt").Text(), "new");
}

TEST_F(DirectoryFileTest, NewNameRaceHasExactlyOneWinnerPerKey) {
  const std::filesystem::path path = db->Path();
  constexpr int kKeys = 25;
  std::latch start(2);
  int wins[2] = {0, 0};
  auto writer = [&](int who) {
    auto own = Database::Open(path);  // one Database per thread
    const DbFile stat = own->DBOpen("STAT");
    start.arrive_and_wait();
    for (int k = 0; k < kKeys; ++k) {
      DynArray record = stat.DBNew("AbsAidant-" + std::to_string(k) + ".csv");
      record.SetText("writer " + std::to_string(who) + "\xFE" + std::string(4000, 'x'));
      try {
        record.DBWriteNew();
        ++wins[who];
      } catch (const DbError& e) {
        EXPECT_EQ(e.code(), ErrorCode::kRecordExists);
      }
    }
  };
  std::thread a(writer, 0), b(writer, 1);
  a.join();
  b.join();
  EXPECT_EQ(wins[0] + wins[1], kKeys);
  for (int k = 0; k < kKeys; ++k) {
    const std::string text = db->DBOpen("STAT").DBRead("AbsAidant-" + std::to_string(k) + ".csv").Text();
    EXPECT_TRUE(text.rfind("writer 0\xFE", 0) == 0 || text.rfind("writer 1\xFE", 0) == 0);
    EXPECT_EQ(text.size(), 9u + 4000u);
  }
}

TEST(DirectoryFileEncoding, DecodeUndoesEncodeForAnyText) {
  for (const std::string key : {"a.txt", "a.csv"})
    for (const std::string text : {"", "\xFE", "x\xFE\xFEy", "a\xFD\xFC\xFE" "b\r"}) {
      EXPECT_EQ(dirfile::DecodeRecord(key, dirfile::EncodeRecord(key, text)), text) << key;
    }
}

}  // namespace
}  // namespace mvdb
