// data/dictionaries.jsonl and data/tables.jsonl are the exchange-format copies
// of what the generator writes; they must never drift apart. The named fields
// the control's queries use have their shape.
// Run with MORVANE_UPDATE_DATA=1 to rewrite the data files from the generator.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "demo/code_tables.h"
#include "demo/dictionaries.h"

namespace morvane::demo {
namespace {

void CheckOrUpdate(const char* name, const std::string& expected) {
  const std::string path = std::string(MORVANE_SOURCE_DIR) + "/data/" + name;
  if (std::getenv("MORVANE_UPDATE_DATA") != nullptr) std::ofstream(path, std::ios::binary) << expected;
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << path;
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), expected) << path << " is stale: rerun with MORVANE_UPDATE_DATA=1";
}

TEST(DataFiles, MatchTheGeneratorAndDeclareEachFileBeforeItsRecords) {
  CheckOrUpdate("dictionaries.jsonl", JsonLines(Dictionaries()));
  CheckOrUpdate("tables.jsonl", JsonLines(CodeTables()));
  FileRecord carer{"CIVILAIDANT", "00012", {}}, field{"DICT CIVILAIDANT", "NomCivil", {}};
  carer.record.Set(2, "LEFÈVRE").SetValues(4, {"a", "b"});
  field.record.Set(1, "A");
  EXPECT_EQ(JsonLines({field, carer, carer}),  // a dictionary declares its data file
            "{\"file\":\"CIVILAIDANT\",\"kind\":\"hashed\"}\n"
            "{\"file\":\"DICT CIVILAIDANT\",\"id\":\"NomCivil\",\"record\":[\"A\"]}\n"
            "{\"file\":\"CIVILAIDANT\",\"id\":\"00012\",\"record\":[\"\",\"LEFÈVRE\",\"\",[\"a\",\"b\"]]}\n"
            "{\"file\":\"CIVILAIDANT\",\"id\":\"00012\",\"record\":[\"\",\"LEFÈVRE\",\"\",[\"a\",\"b\"]]}\n");
}

TEST(Dictionaries, QueryFieldsHaveTheirShapeAndTranslationsAreNeverIndexed) {
  std::map<std::string, std::string> fields;
  for (const FileRecord& r : Dictionaries()) fields[r.file + "/" + r.key] = r.record.Text();
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"DICT ABSENCESAIDANT/NumMotifAidant", "K\xFE" "6\xFE" "2\xFE\xFER\xFE" "1\xFE" "Code motif d'absence"},
      {"DICT ABSENCESAIDANT/DebAbsAidant", "K\xFE" "8\xFE" "5\xFE\xFER\xFE" "1\xFEPremier jour d'absence"},
      {"DICT ABSENCESAIDANT/CodeSectAbs", "T\xFE" "CIVILAIDANT\xFE@ID[1,5]\xFE" "31\xFEL\xFE\xFESecteur de l'aidant"},
      {"DICT CONTRAT/CodeAidant", "K\xFE" "1\xFE" "5\xFE\xFEL\xFE" "1\xFE" "Code de l'aidant du contrat"},
  };
  for (const auto& [name, text] : expected) EXPECT_EQ(fields.at(name), text) << name;
  EXPECT_TRUE(fields.at("DICT ABSENCESAIDANT/CommuneAbsAidant").starts_with("T\xFE" "CIVILAIDANT\xFE@ID[1,5]\xFE" "11\xFEL"));
  EXPECT_TRUE(fields.at("DICT ACTIVITES/LibAssoActivites").starts_with("T\xFE" "ASSOCIATION\xFE@ID[1,3]\xFE" "1\xFEL"));
  for (const IndexedField& f : IndexedFields()) EXPECT_NE(fields.at("DICT " + f.file + "/" + f.field)[0], 'T') << f.field;
}

}  // namespace
}  // namespace morvane::demo
