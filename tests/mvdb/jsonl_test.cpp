// JSON Lines exchange: whatever bytes a record holds, an export imports back
// byte for byte; an import that fails anywhere changes nothing, directory
// files included.

#include <sstream>

#include "engine_test_support.h"
#include "mvdb/jsonl.h"

namespace mvdb {
namespace {

using testing_support::Attrs;

std::string ExportAll(Database& db) {
  std::ostringstream out;
  jsonl::Export(db, {}, out);
  return out.str();
}

jsonl::ImportSummary Import(Database& db, const std::string& lines) {
  std::istringstream in(lines);
  return jsonl::Import(db, in);
}

class JsonlTest : public testing_support::BothStorages {
 protected:
  std::filesystem::path Folder() { return t.db().DirectoryFolder("STATAIDANT"); }
  testing_support::ScratchDatabase t{GetParam(), {"CIVILAIDANT"}, {"STATAIDANT"}};
};

TEST(JsonlLines, LevelsBecomeStringsAndNestedArraysAndOtherBytesBase64) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {Attrs({"1", "DUPONT", "v1\xFDv2", "a\xFDs1\xFCs2", ""}),
       R"({"file":"F","id":"k","record":["1","DUPONT",["v1","v2"],["a",["s1","s2"]],""]})"},
      {"", R"({"file":"F","id":"k","record":[]})"},
      {"Pr\xE9nom\xFEok", R"({"file":"F","id":"k","record_base64":"UHLpbm9t/m9r"})"},
  };
  for (const auto& [text, line] : cases) {
    EXPECT_EQ(jsonl::EncodeLine("F", "k", text), line);
    EXPECT_EQ(jsonl::DecodeLine(line).text, text);
  }
  EXPECT_EQ(jsonl::EncodeLine("F", "\xE9t\xE9", "x"), R"({"file":"F","id_base64":"6XTp","record":["x"]})");
  EXPECT_EQ(jsonl::DecodeLine(R"({"file":"F","id":"k","record":[[["x"]]]})").text, "x");
}

TEST_P(JsonlTest, ExportThenImportIntoAFreshDatabaseGivesTheSameBytes) {
  Import(t.db(), R"({"file":"CIVILAIDANT","id":"00012","record":["1","DUPONT \u00c9lise",["v1","v2"],["",["s1",""]],"",""]}
{"file":"CIVILAIDANT","id":"00001","record":[]}
{"file":"DICT CIVILAIDANT","id":"NomAidant","record":["A","2","","","L"]}
{"file":"STATAIDANT","id":"AbsAidant-1.csv","record":["a;b","c;d"]}
{"file":"NEWFILE","kind":"hashed"}
{"file":"NEWFILE","id":"x","record":["y"]}
)");
  t.Put("CIVILAIDANT", "latin1", "Pr\xE9nom\xFE\xC9lise");
  t.Put("CIVILAIDANT", "\xE9t\xE9", "a key that is not UTF-8");
  const std::map<std::string, std::string> dropped = {
      {"latin1.csv", "Nom;Pr\xE9nom\r\nDUPONT;\xC9lise\r\n"},      // a CSV dropped in by hand, Latin-1
      {"no-line-end.txt", "one line"},                            // not what a record writes
      {"picture.png", std::string("\x89PNG\r\n\x1A\n\0\xFE\xFF", 12)}};
  for (const auto& [name, bytes] : dropped) std::ofstream(Folder() / name, std::ios::binary) << bytes;
  const std::string exported = ExportAll(t.db());

  testing_support::ScratchDatabase copy(GetParam());
  EXPECT_EQ(Import(copy.db(), exported).records, 10);
  EXPECT_EQ(ExportAll(copy.db()), exported);
  EXPECT_EQ(copy.db().DBOpen("CIVILAIDANT").DBRead("latin1").Text(), "Pr\xE9nom\xFE\xC9lise");
  for (const auto& [name, bytes] : dropped)
    EXPECT_EQ(testing_support::Slurp(copy.db().DirectoryFolder("STATAIDANT") / name), bytes) << name;
}

TEST_P(JsonlTest, AnImportThatFailsAnywhereChangesNothing) {
  Import(t.db(), R"({"file":"CIVILAIDANT","id":"keep","record":["old"]})" "\n" R"({"file":"STATAIDANT","id":"keep.txt","record":["old"]})");
  std::filesystem::create_directory(Folder() / "taken.txt");  // a folder where a record would go: its write fails
  const std::string before = ExportAll(t.db());
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"not json at all", "line 4: not JSON: "},
      {R"({"id":"k","record":[]})", "line 4: no \"file\""},
      {R"({"file":"UNKNOWN","id":"k","record":[]})", "line 4: unknown file UNKNOWN"},
      {R"({"file":"CIVILAIDANT","id":"k","record":"x"})", "line 4: \"record\" must be an array of attributes"},
      {R"({"file":"CIVILAIDANT","id":"k","record":[1]})", "line 4: attribute 1 (a string or an array of values) must be a string"},
      {R"({"file":"CIVILAIDANT","id":"k","record":[["a",[["deep"]]]]})", "line 4: attribute 1 value 2 sub-value 1 must be a string"},
      {R"({"file":"CIVILAIDANT","id":"","record":[]})", "line 4: empty \"id\""},
      {R"({"file":"CIVILAIDANT","id":"k","record_base64":"abc"})", "line 4: \"record_base64\" is not base64 (its length is not a multiple of 4)"},
      {R"({"file":"STATAIDANT","id":"../x","record":[]})", "line 4: key \"../x\" cannot name a file of a directory file"},
      {R"({"file":"STATAIDANT","id":")" + std::string(256, 'k') + R"(","record":[]})",
       "line 4: key \"kkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkk...\" cannot name a file of a directory file: it has 256 bytes, a file name at most 255"},
      {R"([1,2,3])", "line 4: a line must be a JSON object"},
      {R"({"file":"X","kind":"weird"})", "line 4: \"kind\" must be \"hashed\" or \"directory\", not \"weird\""},
      {R"({"file":"STATAIDANT","id":"taken.txt","record":[]})", "line 4: cannot replace "},
  };
  for (const auto& [line, expected] : bad) {
    const std::string lines = R"({"file":"CIVILAIDANT","id":"keep","record":["new"]})" "\n"
                              R"({"file":"STATAIDANT","id":"keep.txt","record":["new"]})" "\n"
                              R"({"file":"STATAIDANT","id":"new.txt","record":["new"]})" "\n" + line + "\n";
    try {
      Import(t.db(), lines);
      ADD_FAILURE() << "accepted: " << line;
    } catch (const DbError& e) {
      EXPECT_EQ(std::string(e.what()).substr(0, expected.size()), expected);
    }
    EXPECT_EQ(ExportAll(t.db()), before) << line;
    EXPECT_FALSE(std::filesystem::exists(Folder() / "new.txt")) << line;
  }
}

INSTANTIATE_ON_BOTH_STORAGES(JsonlTest);

}  // namespace
}  // namespace mvdb
