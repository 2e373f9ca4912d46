// The top of the information letter: code look-ups, employer heading,
// addressee block and date line.
#include <gtest/gtest.h>

#include <QDate>

#include "services/lettre_entete.h"

namespace morvane::services::lettre {
namespace {

mvdb::DynArray Table(const std::vector<std::string>& codes, const std::vector<std::string>& libelles) {
  mvdb::DynArray t;
  for (std::size_t k = 0; k < codes.size(); ++k) {
    t.SetItem(2, static_cast<int>(k) + 1, codes[k]);
    t.SetItem(3, static_cast<int>(k) + 1, libelles[k]);
  }
  return t;
}

mvdb::DynArray Carer(const std::vector<std::pair<int, std::string>>& attributs) {
  mvdb::DynArray r;
  for (const auto& [numero, texte] : attributs) r.SetItem(numero, texte);
  return r;
}

TEST(CodeLookUp, ReplacesAKnownCodeByItsUpperCasedLabelAndKeepsAnUnknownOne) {
  const auto titres = Table({"1", "2", "", "3"}, {"Monsieur", "Madame", "", "Mademoiselle"});
  auto civil = Carer({{1, "2"}});
  RemplacerCode(civil, 1, titres);
  EXPECT_EQ(civil.Item(1), "MADAME");
  auto inconnu = Carer({{1, "9"}});
  RemplacerCode(inconnu, 1, titres);
  EXPECT_EQ(inconnu.Item(1), "9");
  // The walk ends at the first empty code: "3" lies beyond it.
  auto apresLeVide = Carer({{1, "3"}});
  RemplacerCode(apresLeVide, 1, titres);
  EXPECT_EQ(apresLeVide.Item(1), "3");

  auto voie = Carer({{7, "ALL"}});
  RemplacerCode(voie, 7, Table({"ALL"}, {"Allée"}));
  EXPECT_EQ(voie.Item(7), "ALLÉE");
}

TEST(AddresseeBlock, EmptyLinesMoveUp) {
  const auto complet = DestinataireDe(Carer({{1, "MADAME"}, {2, "MARTIN"}, {3, "Claire"}, {5, "3"}, {6, "BIS"},
                                             {7, "RUE"}, {8, "DES ÉCOLES"}, {9, "BÂT. B"}, {10, "42100"},
                                             {11, "SAINT-ÉTIENNE"}}));
  EXPECT_EQ(complet.nom, "MADAME MARTIN CLAIRE");
  EXPECT_EQ(complet.adresse, (std::array<QString, 3>{"3 BIS RUE DES ÉCOLES", "BÂT. B", "42100 SAINT-ÉTIENNE"}));

  const auto sansComplement = DestinataireDe(Carer({{5, "3"}, {7, "RUE"}, {8, "HAUTE"}, {10, "42000"}, {11, "ROANNE"}}));
  // The parts are joined by one blank each: an empty number complement leaves two.
  EXPECT_EQ(sansComplement.adresse, (std::array<QString, 3>{"3  RUE HAUTE", "42000 ROANNE", ""}));

  const auto sansRue = DestinataireDe(Carer({{9, "LE BOURG"}, {10, "42000"}, {11, "ROANNE"}}));
  EXPECT_EQ(sansRue.adresse, (std::array<QString, 3>{"LE BOURG", "42000 ROANNE", ""}));

  // Lines move up one step at a time: the town alone ends on the second line.
  const auto villeSeule = DestinataireDe(Carer({{10, "42000"}, {11, "ROANNE"}}));
  EXPECT_EQ(villeSeule.adresse, (std::array<QString, 3>{"", "42000 ROANNE", ""}));
  EXPECT_EQ(DestinataireDe(Carer({{2, "DURAND"}})).nom, "DURAND");
}

TEST(EmployerHeading, StreetLineCedexTelephoneAndMail) {
  const auto a = Carer({{1, "ADOM LOIRE"}, {3, "12"}, {5, "AVENUE"}, {6, "DE LA LIBÉRATION"}, {8, "42000"},
                        {9, "SAINT-ÉTIENNE"}, {10, "1"}, {11, "2"}, {12, "04 77 00 00 00"}, {35, "a@b.fr"}});
  const auto e = Employeur(a);
  EXPECT_EQ(e.rue, "12 AVENUE DE LA LIBÉRATION");
  EXPECT_EQ(e.complement, "");
  EXPECT_EQ(e.ville, "42000 SAINT-ÉTIENNE");
  EXPECT_EQ(e.cedex, "CEDEX 2");
  EXPECT_EQ(e.telephone, "Tel : 04 77 00 00 00");
  EXPECT_EQ(e.courriel, "Mail: a@b.fr");
  EXPECT_EQ(Employeur(Carer({{10, "0"}, {11, "2"}})).cedex, "");
}

TEST(DateLine, FrenchMonthNameInUpperCase) {
  EXPECT_EQ(DateEnLettres(QDate(2025, 2, 15)), "15 FÉVRIER 2025");
  EXPECT_EQ(DateEnLettres(QDate(2024, 8, 5)), "05 AOÛT 2024");
  EXPECT_EQ(LieuEtDate(Carer({{9, "ROANNE"}}), QDate(2024, 12, 1)), "ROANNE, LE 01 DÉCEMBRE 2024");
}

}  // namespace
}  // namespace morvane::services::lettre
