// The top of the information letter: code look-ups, employer heading,
// addressee block and date line.
#include <gtest/gtest.h>

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

// A known code becomes its upper-cased label; an unknown one, or one past the
// first empty code, stays as it is.
TEST(CodeLookUp, ReplacesAKnownCodeByItsUpperCasedLabelAndKeepsAnUnknownOne) {
  const auto titres = Table({"1", "2", "ALL", "", "3"}, {"Monsieur", "Madame", "Allée", "", "Mademoiselle"});
  QStringList shown;
  for (const char* code : {"2", "9", "3", "ALL"}) {
    auto civil = Carer({{1, code}});
    RemplacerCode(civil, 1, titres);
    shown << QString::fromStdString(civil.Item(1));
  }
  EXPECT_EQ(shown, QStringList({"MADAME", "9", "3", "ALLÉE"}));
}

// The addressee's lines move up one step at a time past the empty ones.
TEST(AddresseeBlock, EmptyLinesMoveUp) {
  const std::pair<std::vector<std::pair<int, std::string>>, QString> cas[] = {
      {{{1, "MADAME"}, {2, "MARTIN"}, {3, "Claire"}, {5, "3"}, {6, "BIS"}, {7, "RUE"}, {8, "DES ÉCOLES"},
        {9, "BÂT. B"}, {10, "42100"}, {11, "SAINT-ÉTIENNE"}},
       "MADAME MARTIN CLAIRE|3 BIS RUE DES ÉCOLES|BÂT. B|42100 SAINT-ÉTIENNE"},
      {{{9, "LE BOURG"}, {10, "42000"}, {11, "ROANNE"}}, "|LE BOURG|42000 ROANNE|"},
      {{{2, "DURAND"}, {10, "42000"}, {11, "ROANNE"}}, "DURAND||42000 ROANNE|"},  // the town alone: second line
  };
  for (const auto& [civil, lignes] : cas) {
    const auto d = DestinataireDe(Carer(civil));
    EXPECT_EQ(QStringList({d.nom, d.adresse[0], d.adresse[1], d.adresse[2]}).join('|'), lignes);
  }
}

TEST(EmployerHeading, StreetLineCedexTelephoneMailAndTheDateLine) {
  const auto e = Employeur(Carer({{1, "ADOM LOIRE"}, {3, "12"}, {5, "AVENUE"}, {6, "DE LA LIBÉRATION"}, {7, "BP 4"},
                                  {8, "42000"}, {9, "SAINT-ÉTIENNE"}, {10, "1"}, {11, "2"}, {12, "04 77 00 00 00"},
                                  {35, "a@b.fr"}}));
  EXPECT_EQ(QStringList({e.nom, e.rue, e.complement, e.ville, e.cedex, e.telephone, e.courriel}).join('|'),
            "ADOM LOIRE|12 AVENUE DE LA LIBÉRATION|BP 4|42000 SAINT-ÉTIENNE|CEDEX 2|Tel : 04 77 00 00 00|Mail: a@b.fr");
  EXPECT_EQ(Employeur(Carer({{10, "0"}, {11, "2"}})).cedex, "");
  EXPECT_EQ(DateEnLettres(QDate(2024, 8, 5)), "05 AOÛT 2024");
  EXPECT_EQ(LieuEtDate(Carer({{9, "ROANNE"}}), QDate(2024, 12, 1)), "ROANNE, LE 01 DÉCEMBRE 2024");
}

}  // namespace
}  // namespace morvane::services::lettre
