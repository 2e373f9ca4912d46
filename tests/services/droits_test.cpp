// Rights: levels per file and visible sectors of a DROITS record (read from a
// database by the batch runs: BatchRights, BatchRun).
#include "mvdb/engine_test_support.h"
#include "services/droits.h"
#include "services/droits_record.h"

namespace morvane::services {
namespace {

using mvdb::testing_support::Values;

mvdb::DynArray Record(const std::string& files, const std::string& levels, const std::string& sectors,
                      const std::string& name = "Marie Test") {
  return mvdb::DynArray(mvdb::testing_support::Attrs({files, levels, sectors, name}));
}

TEST(Droits, LevelPerFileAndZeroForAFileNotListed) {
  auto droits = DroitsFromRecord(QStringLiteral("marie"),
                                 Record(Values({"ABSENCESAIDANT", "CONTRAT", "TABLES"}), Values({"2", "1", "x"}), ""));
  EXPECT_EQ(droits->Utilisateur(), QStringLiteral("marie"));
  // Any case; TABLES holds no number; SECTEUR is not listed.
  for (const auto& [file, level] : {std::pair{"ABSENCESAIDANT", 2}, {"absencesaidant", 2}, {"CONTRAT", 1}, {"TABLES", 0},
                                    {"SECTEUR", 0}}) {
    ASSERT_NE(droits->DroitsFichier(QString::fromLatin1(file)), nullptr) << file;
    EXPECT_EQ(droits->DroitsFichier(QString::fromLatin1(file))->NiveauAcces(), level) << file;
  }
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
