// Per-contract portions: a row is rewritten from the last fitting portion,
// removed when none fits, and left alone without portions or with both
// activity types ticked.
#include <gtest/gtest.h>

#include "control/selection_requete.h"
#include "selection_base.h"

namespace morvane::control {
namespace {

using testing::BaseSelection;

FiltreEntite Filtre(bool prest, bool mandat, const std::string& entite = "001") {
  FiltreEntite f;
  f.entite = entite;
  f.entiteDefaut = "009";
  f.prestataire = prest;
  f.mandataire = mandat;
  return f;
}

class SelectionExceptions : public ::testing::Test {
 protected:
  SelectionExceptions() {
    base.Contrat("00001001", "01", "001", "19000", "");  // service provider
    base.Contrat("00001002", "02", "001", "19000", "");  // agent mode
    base.Contrat("00001003", "01", "002", "19000", "");  // service provider, another entity
  }

  // Absence 0000102 20005 with portions: {applies, start, start half, end, end half, contract}.
  struct Portion {
    std::string applique, debut, demiDebut, fin, demiFin, contrat;
  };
  std::string Absence(const std::vector<Portion>& portions) {
    const std::string key = "0000102" "20005";
    std::vector<std::string> a21, a22, a23, a24, a25, a26;
    for (const Portion& p : portions) {
      a21.push_back(p.applique);
      a22.push_back(p.debut);
      a23.push_back(p.demiDebut);
      a24.push_back(p.fin);
      a25.push_back(p.demiFin);
      a26.push_back(p.contrat);
    }
    base.Write("ABSENCESAIDANT", key, {{21, a21}, {22, a22}, {23, a23}, {24, a24}, {25, a25}, {26, a26}});
    return key;
  }
  mvdb::DynArray Appliquer(const std::vector<std::string>& keys, const FiltreEntite& f) {
    mvdb::DynArray rows = BaseSelection::Rows(keys);
    MemoriserClesAbsences(rows);
    rows.SetItem(1, 6, "contrat");
    rows.SetItem(1, 7, "5000");
    AppliquerPortions(rows, f, {base.db(), base.absences(), base.contrats(), enregAbsence, enregContrat});
    return rows;
  }

  BaseSelection base;
  mvdb::DynArray enregAbsence;
  mvdb::DynArray enregContrat;
  const Portion prest{"O", "20010", "M", "20012", "M", "00001001"};
  const Portion mandat{"O", "20013", "A", "20015", "S", "00001002"};
};

TEST_F(SelectionExceptions, RowTakesTheDatesOfThePortionOfItsActivityType) {
  const std::string key = Absence({prest, mandat});
  mvdb::DynArray rows = Appliquer({key}, Filtre(true, false));
  ASSERT_EQ(rows.DCount(), 1);
  EXPECT_EQ(rows.Item(1, 1), "0000102" "20010");
  EXPECT_EQ(rows.Item(1, 2), "1");
  EXPECT_EQ(rows.Item(1, 3), "20012");
  EXPECT_EQ(rows.Item(1, 4), "1");
  EXPECT_EQ(rows.Item(1, 5), "obs");   // columns 5 to 7 stay
  EXPECT_EQ(rows.Item(1, 6), "contrat");
  EXPECT_EQ(rows.Item(1, 7), "5000");
  EXPECT_EQ(rows.Item(1, 8), key);     // the absence key stays reachable

  rows = Appliquer({key}, Filtre(false, true));
  EXPECT_EQ(rows.Item(1, 1), "0000102" "20013");
  EXPECT_EQ(rows.Item(1, 2), "2");  // any half-day marker but "M" is the afternoon / evening
  EXPECT_EQ(rows.Item(1, 3), "20015");
  EXPECT_EQ(rows.Item(1, 4), "2");
}

TEST_F(SelectionExceptions, TheLastFittingPortionWins) {
  Portion second = prest;
  second.debut = "20020";
  const std::string key = Absence({prest, mandat, second});
  EXPECT_EQ(Appliquer({key}, Filtre(true, false)).Item(1, 1), "0000102" "20020");
}

TEST_F(SelectionExceptions, RowGoesWhenNoPortionFits) {
  Portion nonApplique = prest;
  nonApplique.applique = "N";
  Portion autreEntite = prest;
  autreEntite.contrat = "00001003";
  Portion contratAbsent = prest;
  contratAbsent.contrat = "00001999";
  Absence({nonApplique, autreEntite, contratAbsent, mandat});
  const std::string other = "0000202" "20005";  // no portions: unchanged
  base.Write("ABSENCESAIDANT", other, {{17, {"00002001"}}});
  const std::string missing = "0000302" "20005";  // no record: unchanged
  const mvdb::DynArray rows = Appliquer({"0000102" "20005", other, missing}, Filtre(true, false));
  ASSERT_EQ(rows.DCount(), 2);
  EXPECT_EQ(rows.Item(1, 1), other);
  EXPECT_EQ(rows.Item(1, 3), "20020");
  EXPECT_EQ(rows.Item(2, 1), missing);
}

TEST_F(SelectionExceptions, DefaultEntityLetsEveryEntityFit) {
  Portion autreEntite = prest;
  autreEntite.contrat = "00001003";
  const std::string key = Absence({autreEntite});
  EXPECT_TRUE(Appliquer({key}, Filtre(true, false, "001")).Empty());
  EXPECT_EQ(Appliquer({key}, Filtre(true, false, "009")).Item(1, 1), "0000102" "20010");
}

TEST_F(SelectionExceptions, BothActivityTypesLeaveEveryRowAsItIs) {
  const std::string key = Absence({prest, mandat});
  const mvdb::DynArray rows = Appliquer({key}, Filtre(true, true));
  EXPECT_EQ(rows.Item(1, 1), key);
  EXPECT_EQ(rows.Item(1, 3), "20020");
}

}  // namespace
}  // namespace morvane::control
