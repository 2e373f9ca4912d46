// Rights: levels per file and visible sectors of a DROITS record (read from a
// database by the batch runs: BatchRights, BatchRun).
#include <gtest/gtest.h>

#include "mvdb/dynarray.h"
#include "services/droits.h"
#include "services/droits_record.h"

namespace morvane::services {
namespace {

constexpr char FM = mvdb::kAttributeMark;
constexpr char VM = mvdb::kValueMark;

mvdb::DynArray Record(const std::string& files, const std::string& levels, const std::string& sectors,
                      const std::string& name = "Marie Test") {
  return mvdb::DynArray(files + FM + levels + FM + sectors + FM + name);
}

std::string Values(std::initializer_list<const char*> values) {
  std::string text;
  for (const char* v : values) {
    if (!text.empty()) text += VM;
    text += v;
  }
  return text;
}

TEST(Droits, LevelPerFileAndZeroForAFileNotListed) {
  auto droits = DroitsFromRecord(QStringLiteral("marie"),
                                 Record(Values({"ABSENCESAIDANT", "CONTRAT", "TABLES"}), Values({"2", "1", "x"}), ""));
  EXPECT_EQ(droits->Utilisateur(), QStringLiteral("marie"));
  EXPECT_EQ(droits->DroitsFichier(QStringLiteral("ABSENCESAIDANT"))->NiveauAcces(), 2);
  EXPECT_EQ(droits->DroitsFichier(QStringLiteral("absencesaidant"))->NiveauAcces(), 2);
  EXPECT_EQ(droits->DroitsFichier(QStringLiteral("CONTRAT"))->NiveauAcces(), 1);
  EXPECT_EQ(droits->DroitsFichier(QStringLiteral("TABLES"))->NiveauAcces(), 0);  // no number
  EXPECT_EQ(droits->DroitsFichier(QStringLiteral("SECTEUR"))->NiveauAcces(), 0);
  EXPECT_NE(droits->DroitsFichier(QStringLiteral("SECTEUR")), nullptr);
}

TEST(Droits, SectorsRestrictedOrUnrestricted) {
  auto restricted = DroitsFromRecord(QStringLiteral("paul"),
                                     Record("ABSENCESAIDANT", "2", Values({"001", "004"})))
                        ->DroitsFichier(QStringLiteral("ABSENCESAIDANT"));
  EXPECT_EQ(restricted->SecteurAutorise(QStringLiteral("001"), true), std::optional<bool>(true));
  EXPECT_EQ(restricted->SecteurAutorise(QStringLiteral("004"), false), std::optional<bool>(true));
  EXPECT_EQ(restricted->SecteurAutorise(QStringLiteral("002"), false), std::optional<bool>(false));
  EXPECT_EQ(restricted->SecteurAutorise(QString(), false), std::nullopt);

  auto everySector = DroitsFromRecord(QStringLiteral("anne"), Record("ABSENCESAIDANT", "1", ""))
                         ->DroitsFichier(QStringLiteral("ABSENCESAIDANT"));
  EXPECT_EQ(everySector->SecteurAutorise(QStringLiteral("999"), true), std::optional<bool>(true));
  EXPECT_EQ(everySector->SecteurAutorise(QStringLiteral("  "), true), std::nullopt);
}

}  // namespace
}  // namespace morvane::services
