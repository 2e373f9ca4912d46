// Generate() on a real database file: sizes follow the options, two runs with
// one seed are equal, and the named fields select what the records hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "demo/generator.h"
#include "mvdb/engine_test_support.h"

namespace morvane::demo {
namespace {

using Contents = std::map<std::string, std::string>;

class GeneratedDatabase : public ::testing::Test {
 protected:
  mvdb::Database& Make(const Options& options) {
    databases_.push_back(std::make_unique<mvdb::testing_support::ScratchDatabase>());
    Generate(databases_.back()->db(), options);
    return databases_.back()->db();
  }
  static Contents Of(mvdb::Database& db, const std::string& file) {
    Contents out;
    db.storage().Scan(file, [&](const std::string& key, const std::string& text) {
      out.emplace(key, text);
      return true;
    });
    return out;
  }
  static long Count(mvdb::Database& db, const std::string& query) {
    long count = -1;
    db.DBSelect(query, "", count);
    return count;
  }
  std::vector<std::unique_ptr<mvdb::testing_support::ScratchDatabase>> databases_;
};

TEST_F(GeneratedDatabase, SizesFollowTheOptionsAndProgressReachesTheTotal) {
  Options options;
  options.carers = 25;
  options.absences = 1234;
  std::vector<std::pair<long, long>> progress;
  options.progress = [&](long done, long total) { progress.emplace_back(done, total); };
  mvdb::Database& db = Make(options);
  EXPECT_EQ(Of(db, "ABSENCESAIDANT").size(), 1234u);
  EXPECT_EQ(Of(db, "CIVILAIDANT").size(), 25u);
  EXPECT_GE(Of(db, "CONTRAT").size(), 25u);
  ASSERT_FALSE(progress.empty());
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_EQ(progress.back(), std::make_pair(1234L, 1234L));
  Options large;
  large.absences = 50000;
  EXPECT_EQ(PlannedSizes(large).carers, 250);
  EXPECT_EQ(PlannedSizes(Options{}).absences, 480);
}

TEST_F(GeneratedDatabase, SameSeedGivesTheSameDatabase) {
  Options options;
  options.carers = 15;
  mvdb::Database& first = Make(options);
  mvdb::Database& second = Make(options);
  options.seed = 2;
  mvdb::Database& other = Make(options);
  for (const char* file : {"ABSENCESAIDANT", "CIVILAIDANT", "CONTRAT", "TABLES", "DICT ABSENCESAIDANT"})
    EXPECT_EQ(Of(first, file), Of(second, file)) << file;
  EXPECT_NE(Of(first, "CIVILAIDANT"), Of(other, "CIVILAIDANT"));
}

TEST_F(GeneratedDatabase, NamedFieldsSelectWhatTheRecordsHold) {
  Options options;
  options.carers = 40;
  mvdb::Database& db = Make(options);
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
  for (const auto& [query, count] : counts) EXPECT_EQ(Count(db, query), count) << query;
  EXPECT_GT(inTown, 0);
}

}  // namespace
}  // namespace morvane::demo
