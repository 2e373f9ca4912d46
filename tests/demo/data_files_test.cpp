// data/dictionaries.jsonl and data/tables.jsonl are the exchange-format copies
// of what the generator writes; they must never drift apart.
// Run with MORVANE_UPDATE_DATA=1 to rewrite them from the generator.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "demo/code_tables.h"
#include "demo/dictionaries.h"

namespace morvane::demo {
namespace {

std::string DataPath(const char* name) { return std::string(MORVANE_SOURCE_DIR) + "/data/" + name; }

void CheckOrUpdate(const char* name, const std::string& expected) {
  const std::string path = DataPath(name);
  if (std::getenv("MORVANE_UPDATE_DATA") != nullptr) {
    std::ofstream(path, std::ios::binary) << expected;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << path;
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), expected) << path << " is stale: rerun with MORVANE_UPDATE_DATA=1";
}

TEST(DataFiles, MatchTheGenerator) {
  CheckOrUpdate("dictionaries.jsonl", JsonLines(Dictionaries()));
  CheckOrUpdate("tables.jsonl", JsonLines(CodeTables()));
}

TEST(Dictionaries, QueryFieldsHaveTheRightShape) {
  std::map<std::string, nlohmann::json> fields;
  for (const FileRecord& r : Dictionaries()) fields[r.file + "/" + r.key] = r.record.Json();
  using nlohmann::json;
  EXPECT_EQ(fields.at("DICT ABSENCESAIDANT/NumMotifAidant"), json({"K", "6", "2", "", "R", "1", "Code motif d'absence"}));
  EXPECT_EQ(fields.at("DICT ABSENCESAIDANT/DebAbsAidant")[1], "8");
  EXPECT_EQ(fields.at("DICT ABSENCESAIDANT/DebAbsAidant")[2], "5");
  EXPECT_EQ(fields.at("DICT ABSENCESAIDANT/CommuneAbsAidant")[3], "11");  // the town name
  EXPECT_EQ(fields.at("DICT ABSENCESAIDANT/CodeSectAbs")[1], "CIVILAIDANT");
  EXPECT_EQ(fields.at("DICT CONTRAT/CodeAidant")[0], "K");
  EXPECT_EQ(fields.at("DICT ACTIVITES/LibAssoActivites")[2], "@ID[1,3]");
  for (const IndexedField& f : IndexedFields()) {
    EXPECT_NE(fields.at("DICT " + f.file + "/" + f.field)[0], "T") << "translations are never indexed";
  }
}

TEST(JsonLines, SingleValuesAreStringsAndMultiValuesArrays) {
  FileRecord r{"CIVILAIDANT", "00012", {}};
  r.record.Set(1, "2").Set(2, "LEFÈVRE").SetValues(4, {"a", "b"});
  EXPECT_EQ(JsonLine(r), R"({"file":"CIVILAIDANT","id":"00012","record":["2","LEFÈVRE","",["a","b"]]})");
  EXPECT_EQ(r.record.Text(), "2\xFELEFÈVRE\xFE\xFE" "a\xFD" "b");

  // Each file is declared once, before its first record; a dictionary
  // declares its data file.
  FileRecord field{"DICT CIVILAIDANT", "NomCivil", {}};
  field.record.Set(1, "A");
  EXPECT_EQ(JsonLines({field, r, r}),
            "{\"file\":\"CIVILAIDANT\",\"kind\":\"hashed\"}\n" + JsonLine(field) + "\n" + JsonLine(r) + "\n" +
                JsonLine(r) + "\n");
}

}  // namespace
}  // namespace morvane::demo
