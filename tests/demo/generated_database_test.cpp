// Generate() on a real database file: every file and dictionary exists, the
// code tables walk, sizes follow the options, two runs with one seed are equal,
// and the named fields resolve in queries.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include <unistd.h>

#include "demo/generator.h"
#include "mvdb/database.h"
#include "mvdb/query/engine.h"
#include "mvdb/storage.h"

namespace morvane::demo {
namespace {

namespace fs = std::filesystem;

class GeneratedDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("morvane-demo-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
            "-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::unique_ptr<mvdb::Database> Make(const std::string& name, const Options& options) {
    auto db = mvdb::Database::Create(dir_ / name);
    Generate(*db, options);
    return db;
  }

  static std::map<std::string, std::string> Contents(mvdb::Database& db, const std::string& file) {
    std::map<std::string, std::string> out;
    db.storage().Scan(file, [&](const std::string& key, const std::string& text) {
      out.emplace(key, text);
      return true;
    });
    return out;
  }

  static long Count(mvdb::Database& db, const std::string& query) {
    long count = -1;
    mvdb::DynArray request;
    request.SetItem(1, query);
    db.DBSelect(request.Text(), "", count);
    return count;
  }

  fs::path dir_;
};

TEST_F(GeneratedDatabase, EveryFileExistsWithItsFixedRecords) {
  auto db = Make("demo.db", Options{});
  for (const std::string& name : DemoFileNames()) EXPECT_TRUE(db->FileExists(name)) << name;
  EXPECT_EQ(db->storage().Kind("STATAIDANT"), mvdb::FileKind::kDirectory);

  EXPECT_EQ(db->DBOpen("COMPTEUR").DBRead("999").Item(47), "010");
  EXPECT_EQ(db->DBOpen("DICT ABSENCESAIDANT").DBRead("DebAbsAidant").Item(1), "K");
  const mvdb::DynArray admin = db->DBOpen("DROITS").DBRead("admin");
  EXPECT_EQ(admin.Item(1, 1), "ABSENCESAIDANT");
  EXPECT_EQ(admin.Item(2, 1), "2");
  EXPECT_EQ(admin.Item(3), "");
  EXPECT_EQ(db->DBOpen("DROITS").DBRead("secteur").DCount(3), 2);

  // A code-table walk ends at the first empty code and finds every label.
  const mvdb::DynArray reasons = db->DBOpen("TABLES").DBRead("ABSENCES");
  int p = 1;
  while (!reasons.Item(2, p).empty()) ++p;
  EXPECT_EQ(p - 1, reasons.DCount(2));
  EXPECT_EQ(reasons.Item(2, 22), "22");
  EXPECT_EQ(db->DBOpen("TABLES").DBRead("TITRES").Item(3, 2), "Madame");
}

TEST_F(GeneratedDatabase, SizesFollowTheOptionsAndProgressReachesTheTotal) {
  Options options;
  options.carers = 25;
  options.absences = 1234;
  long lastDone = -1, lastTotal = -1;
  int calls = 0;
  options.progress = [&](long done, long total) {
    EXPECT_GE(done, lastDone);
    lastDone = done;
    lastTotal = total;
    ++calls;
  };
  auto db = Make("sized.db", options);
  EXPECT_EQ(Contents(*db, "ABSENCESAIDANT").size(), 1234u);
  EXPECT_EQ(Contents(*db, "CIVILAIDANT").size(), 25u);
  EXPECT_GE(Contents(*db, "CONTRAT").size(), 25u);
  EXPECT_GT(calls, 0);
  EXPECT_EQ(lastDone, 1234);
  EXPECT_EQ(lastTotal, 1234);

  Options large;
  large.absences = 50000;
  EXPECT_EQ(PlannedSizes(large).carers, 250);
  EXPECT_EQ(PlannedSizes(Options{}).absences, 480);
}

TEST_F(GeneratedDatabase, SameSeedGivesTheSameDatabase) {
  Options options;
  options.carers = 15;
  auto first = Make("a.db", options);
  auto second = Make("b.db", options);
  for (const char* file : {"ABSENCESAIDANT", "CIVILAIDANT", "CONTRAT", "TABLES", "DICT ABSENCESAIDANT"}) {
    EXPECT_EQ(Contents(*first, file), Contents(*second, file)) << file;
  }
  options.seed = 2;
  auto other = Make("c.db", options);
  EXPECT_NE(Contents(*first, "CIVILAIDANT"), Contents(*other, "CIVILAIDANT"));
}

TEST_F(GeneratedDatabase, NamedFieldsResolveInQueries) {
  Options options;
  options.carers = 40;
  auto db = Make("query.db", options);
  const auto absences = Contents(*db, "ABSENCESAIDANT");
  const auto carers = Contents(*db, "CIVILAIDANT");
  const auto contracts = Contents(*db, "CONTRAT");

  long sick = 0, carer1 = 0, sector1 = 0, from2025 = 0, inTown = 0;
  std::map<std::string, std::string> sectorOf, townOf;
  for (const auto& [key, text] : carers) {
    sectorOf[key] = mvdb::DynArray(text).Item(31);
    townOf[key] = mvdb::DynArray(text).Item(11);
  }
  for (const auto& [key, text] : absences) {
    const int reason = std::stoi(key.substr(5, 2));
    sick += reason <= 6 || reason == 29 || reason == 30;
    sector1 += sectorOf[key.substr(0, 5)] == "001";
    from2025 += std::stoi(key.substr(7)) >= 20821;  // 1 January 2025
    inTown += townOf[key.substr(0, 5)] == "SAINT-ÉTIENNE";
  }
  for (const auto& [key, text] : contracts) carer1 += key.substr(0, 5) == "00001";

  EXPECT_EQ(Count(*db, R"(SSELECT ABSENCESAIDANT AVEC NumMotifAidant <= "6" OR = "29" OR = "30")"), sick);
  EXPECT_EQ(Count(*db, R"(SSELECT ABSENCESAIDANT AVEC CodeSectAbs = "001")"), sector1);
  EXPECT_EQ(Count(*db, R"(SSELECT ABSENCESAIDANT AVEC DebAbsAidant >= "20821")"), from2025);
  EXPECT_EQ(Count(*db, R"(SSELECT CONTRAT AVEC CodeAidant = "00001")"), carer1);
  EXPECT_EQ(Count(*db, R"(SSELECT ACTIVITES PAR LibAssoActivites PAR 0)"), 6);
  // The commune is compared by name, the text the form shows for a commune.
  EXPECT_EQ(Count(*db, R"(SSELECT ABSENCESAIDANT AVEC CommuneAbsAidant = "SAINT-ÉTIENNE" PAR NomAidant)"), inTown);
}

}  // namespace
}  // namespace morvane::demo
