// JSON Lines exchange: round trips of data and dictionaries, and imports that
// fail on a bad line without changing the database.
#include <gtest/gtest.h>

#include <sstream>

#include "engine_test_support.h"
#include "mvdb/database.h"
#include "mvdb/jsonl.h"
#include "mvdb/storage.h"

namespace mvdb {
namespace {

using testing_support::Attrs;
using testing_support::ScratchDir;

std::string ExportAll(Database& db) {
  std::ostringstream out;
  jsonl::Export(db, {}, out);
  return out.str();
}

class JsonlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db = Database::Create(dir / "a.mvdb");
    db->CreateFile("CIVILAIDANT");
    db->CreateFile("STATAIDANT", FileKind::kDirectory);
  }
  jsonl::ImportSummary Import(const std::string& lines) {
    std::istringstream in(lines);
    return jsonl::Import(*db, in);
  }
  ScratchDir dir;
  std::unique_ptr<Database> db;
};

TEST_F(JsonlTest, LevelsBecomeStringsAndNestedArrays) {
  const std::string line =
      jsonl::EncodeLine("CIVILAIDANT", "00012", Attrs({"1", "DUPONT", "v1\xFDv2", "a\xFDs1\xFCs2", ""}));
  EXPECT_EQ(line,
            R"({"file":"CIVILAIDANT","id":"00012","record":["1","DUPONT",["v1","v2"],["a",["s1","s2"]],""]})");
  const jsonl::Line back = jsonl::DecodeLine(line);
  EXPECT_EQ(back.text, Attrs({"1", "DUPONT", "v1\xFDv2", "a\xFDs1\xFCs2", ""}));
  EXPECT_EQ(jsonl::DecodeLine(R"({"file":"F","id":"k","record":[]})").text, "");
  EXPECT_EQ(jsonl::DecodeLine(R"({"file":"F","id":"k","record":[[["x"]]]})").text, "x");
}

TEST_F(JsonlTest, ExportThenImportIntoAFreshDatabaseGivesTheSameDatabase) {
  Import(R"({"file":"CIVILAIDANT","id":"00012","record":["1","DUPONT \u00c9lise",["v1","v2"],["",["s1",""]],"",""]}
{"file":"CIVILAIDANT","id":"00001","record":[]}
{"file":"DICT CIVILAIDANT","id":"NomAidant","record":["A","2","","","L"]}
{"file":"STATAIDANT","id":"AbsAidant-1.csv","record":["a;b","c;d"]}
{"file":"NEWFILE","kind":"hashed"}
{"file":"NEWFILE","id":"x","record":["y"]}
)");
  const std::string exported = ExportAll(*db);
  ScratchDir other;
  auto copy = Database::Create(other / "b.mvdb");
  std::istringstream in(exported);
  const auto summary = jsonl::Import(*copy, in);
  EXPECT_EQ(summary.records, 5);
  EXPECT_EQ(ExportAll(*copy), exported);
  EXPECT_EQ(copy->DBOpen("CIVILAIDANT").DBRead("00012").Item(2), "DUPONT \xC3\x89lise");
  EXPECT_EQ(copy->storage().Kind("STATAIDANT"), FileKind::kDirectory);
}

TEST_F(JsonlTest, BadLineFailsNamingItsNumberAndChangesNothing) {
  Import(R"({"file":"CIVILAIDANT","id":"keep","record":["old"]})");
  const std::string before = ExportAll(*db);
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"not json at all", "line 3"},
      {R"({"id":"k","record":[]})", "no \"file\""},
      {R"({"file":"UNKNOWN","id":"k","record":[]})", "unknown file UNKNOWN"},
      {R"({"file":"CIVILAIDANT","id":"k","record":"x"})", "array"},
      {R"({"file":"CIVILAIDANT","id":"k","record":[1]})", "attribute 1"},
      {R"({"file":"CIVILAIDANT","id":"k","record":[["a",[["deep"]]]]})", "sub-value 1"},
      {R"({"file":"CIVILAIDANT","id":"","record":[]})", "empty"},
      {R"({"file":"STATAIDANT","id":"../x","record":[]})", "line 3"},
      {R"([1,2,3])", "object"},
      {R"({"file":"X","kind":"weird"})", "kind"},
  };
  for (const auto& [line, expected] : bad) {
    const std::string lines = R"({"file":"CIVILAIDANT","id":"keep","record":["new"]})" "\n" +
                              std::string(R"({"file":"STATAIDANT","id":"f.txt","record":["x"]})") + "\n" + line + "\n";
    try {
      Import(lines);
      ADD_FAILURE() << "accepted: " << line;
    } catch (const DbError& e) {
      EXPECT_EQ(e.code(), ErrorCode::kBadRecord) << line;
      EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("line 3"), std::string::npos) << e.what();
    }
    EXPECT_EQ(ExportAll(*db), before) << line;
  }
}

}  // namespace
}  // namespace mvdb
