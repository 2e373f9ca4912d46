// Directory-type files: one OS file per record, a line per attribute,
// spreadsheet files with a byte-order mark and CR LF, keys that must name a
// file, atomic replacement and the race for a new name.

#include <latch>
#include <thread>

#include "engine_test_support.h"

namespace mvdb {
namespace {

using testing_support::CodeOf;
using testing_support::Slurp;

class DirectoryFileTest : public testing_support::BothStorages {
 protected:
  std::filesystem::path Folder() { return t.db().DirectoryFolder("STAT"); }
  void Write(const std::string& key, const std::string& text) {
    DynArray record = t.db().DBOpen("STAT").DBNew(key);
    record.SetText(text);
    record.DBWrite();
  }
  testing_support::ScratchDatabase t{GetParam(), {}, {"STAT"}};
};

TEST_P(DirectoryFileTest, ARecordIsAFileOfLinesAndReadsBackTheSame) {
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"export.txt", "line 1\xFEv1\xFDv2\xFC" "s\xFE\xFE", "line 1\nv1\xFDv2\xFCs\n\n\n"},
      {"AbsAidant-1.csv", "Nom;Pr\xC3\xA9nom\xFE" "DUPONT;\xC3\x89lise\xFE",
       "\xEF\xBB\xBFNom;Pr\xC3\xA9nom\r\nDUPONT;\xC3\x89lise\r\n\r\n"},
      {"OTHER.CSV", "a\xFE" "b\r", "\xEF\xBB\xBF" "a\r\nb\r\r\n"},
  };
  for (const auto& [key, text, bytes] : cases) {
    Write(key, text);
    EXPECT_EQ(Slurp(Folder() / key), bytes) << key;
    EXPECT_EQ(t.db().DBOpen("STAT").DBRead(key).Text(), text) << key;
  }
}

TEST_P(DirectoryFileTest, KeysThatCannotNameAFileAreRefused) {
  const DbFile stat = t.db().DBOpen("STAT");
  for (const std::string& key : {std::string(), std::string("../escape"), std::string("a/b"), std::string(".hidden"),
                                 std::string("a..b"), std::string("nul\0x", 5), std::string(256, 'k')})
    EXPECT_EQ(CodeOf([&] { stat.DBNew(key); }), 0x80040050u) << key;
  EXPECT_EQ(CodeOf([&] { t.storage().Put("STAT", "../x", "y"); }), 0x80040050u);
  EXPECT_FALSE(std::filesystem::exists(Folder().parent_path() / "x"));
  Write(std::string(255, 'k'), "the longest name a file may have");
}

TEST_P(DirectoryFileTest, ReplacementLeavesNoTemporaryAndTemporariesStayHidden) {
  Write("r.txt", "old");
  Write("r.txt", "new");
  std::ofstream(Folder() / ".tmp-leftover") << "half";
  std::ofstream(Folder() / "b.txt") << "b\n";
  std::vector<std::string> keys;
  t.storage().Scan("STAT", [&](const std::string& key, const std::string&) {
    keys.push_back(key);
    return true;
  });
  EXPECT_EQ(keys, (std::vector<std::string>{"b.txt", "r.txt"}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder()), {}), 3);  // and the planted leftover
  EXPECT_EQ(t.db().DBOpen("STAT").DBRead("r.txt").Text(), "new");
}

TEST_P(DirectoryFileTest, NewNameRaceHasExactlyOneWinnerPerKey) {
  constexpr int kKeys = 25;
  std::latch start(2);
  int wins[2] = {0, 0};
  auto writer = [&](int who) {
    auto own = Database::Open(t.db().Path());  // one Database per thread
    const DbFile stat = own->DBOpen("STAT");
    start.arrive_and_wait();
    for (int k = 0; k < kKeys; ++k) {
      DynArray record = stat.DBNew("AbsAidant-" + std::to_string(k) + ".csv");
      record.SetText("writer " + std::to_string(who) + "\xFE" + std::string(4000, 'x'));
      if (CodeOf([&] { record.DBWriteNew(); }) == 0) ++wins[who];
    }
  };
  std::thread a(writer, 0), b(writer, 1);
  a.join();
  b.join();
  EXPECT_EQ(wins[0] + wins[1], kKeys);
  for (int k = 0; k < kKeys; ++k) {
    const std::string text = t.db().DBOpen("STAT").DBRead("AbsAidant-" + std::to_string(k) + ".csv").Text();
    EXPECT_TRUE(text.starts_with("writer 0\xFE") || text.starts_with("writer 1\xFE"));
    EXPECT_EQ(text.size(), 9u + 4000u);
  }
}

INSTANTIATE_ON_BOTH_STORAGES(DirectoryFileTest);

TEST(ServerDirectoryFiles, ADatabaseMadeWithoutAFolderRefusesThemSayingHowToGiveOne) {
  if (testing_support::TestServer().empty()) GTEST_SKIP() << "no test server";
  testing_support::ScratchDir dir;
  auto db = Database::Create(testing_support::FreshAddress(testing_support::StorageKind::kServer, dir));
  const std::string refusal = ": database " + db->storage().Address() +
                              " has no folder for directory files (give one when creating it: mvdb create ADDRESS "
                              "--directory-root FOLDER)";
  EXPECT_EQ(testing_support::Failure([&] { db->CreateFile("STAT", FileKind::kDirectory); }),
            "0x80040040 cannot create directory file STAT" + refusal);
  EXPECT_TRUE(db->DirectoryFolder("STAT").empty());
}

}  // namespace
}  // namespace mvdb
