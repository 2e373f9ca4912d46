// Generate() on a real database file: the named fields select what the records hold.

#include <map>

#include "demo/generator.h"
#include "mvdb/engine_test_support.h"

namespace morvane::demo {
namespace {

using Contents = std::map<std::string, std::string>;

Contents Of(mvdb::Database& db, const std::string& file) {
  Contents out;
  db.storage().Scan(file, [&](const std::string& key, const std::string& text) {
    out.emplace(key, text);
    return true;
  });
  return out;
}

TEST(GeneratedDatabase, NamedFieldsSelectWhatTheRecordsHold) {
  Options options;
  options.carers = 40;
  mvdb::testing_support::ScratchDatabase scratch;
  mvdb::Database& db = scratch.db();
  Generate(db, options);
  std::map<std::string, mvdb::DynArray> carers;
  for (const auto& [key, text] : Of(db, "CIVILAIDANT")) carers.emplace(key, mvdb::DynArray(text));
  long sick = 0, sector1 = 0, from2025 = 0, inTown = 0, contracts1 = 0;
  for (const auto& [key, text] : Of(db, "ABSENCESAIDANT")) {
    const int reason = std::stoi(key.substr(5, 2));
    sick += reason <= 6 || reason == 29 || reason == 30;
    sector1 += carers.at(key.substr(0, 5)).Item(31) == "001";
    from2025 += std::stoi(key.substr(7)) >= 20821;  // 1 January 2025
    inTown += carers.at(key.substr(0, 5)).Item(11) == "SAINT-ÉTIENNE";
  }
  for (const auto& [key, text] : Of(db, "CONTRAT")) contracts1 += key.starts_with("00001");
  const std::vector<std::pair<std::string, long>> counts = {
      {R"(SSELECT ABSENCESAIDANT AVEC NumMotifAidant <= "6" OR = "29" OR = "30")", sick},
      {R"(SSELECT ABSENCESAIDANT AVEC CodeSectAbs = "001")", sector1},
      {R"(SSELECT ABSENCESAIDANT AVEC DebAbsAidant >= "20821")", from2025},
      {R"(SSELECT CONTRAT AVEC CodeAidant = "00001")", contracts1},
      {R"(SSELECT ACTIVITES PAR LibAssoActivites PAR 0)", 6},
      // the commune is compared by name, the text the form shows for a commune
      {R"(SSELECT ABSENCESAIDANT AVEC CommuneAbsAidant = "SAINT-ÉTIENNE" PAR NomAidant)", inTown},
  };
  for (const auto& [query, count] : counts) {
    long found = -1;
    db.DBSelect(query, "", found);
    EXPECT_EQ(found, count) << query;
  }
  EXPECT_GT(inTown, 0);
}

}  // namespace
}  // namespace morvane::demo
