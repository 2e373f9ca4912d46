// The absence query text, character for character, for each absence type with
// and without a reason, the carer, period, return-date and sort criteria.
#include <gtest/gtest.h>

#include <string>

#include "control/selection_requete.h"
#include "selection_base.h"

namespace morvane::control {
namespace {

std::string Q(const std::string& v) { return "\"" + v + "\""; }

const std::string kS = "20010";
const std::string kE = "20040";

// Sector 001, "Dans la période de référence", no return-date condition.
const std::string kParts = " AND AVEC CodeSectAbs = " + Q("001") + " AND AVEC DebAbsAidant <= " + Q(kE) +
                           " AND AVEC 2 >= " + Q(kS);
const std::string kTriListe = " PAR SecteurAbsAidant PAR NomAidant PAR PrenomAidant PAR DebAbsAidant";

const std::string kCodesArret = " AVEC NumMotifAidant <= " + Q("6") + " OR = " + Q("29") + " OR = " + Q("30");
const std::string kCodesCongesPremier = " AVEC NumMotifAidant >= " + Q("12") + " AND <= " + Q("17") + " OR = " +
                                        Q("23") + " OR=" + Q("25") + " OR=" + Q("26") + " OR=" + Q("27") +
                                        " OR=" + Q("28") + " OR=" + Q("31");
const std::string kCodesCongesSuite = " OR AVEC NumMotifAidant >= " + Q("12") + " AND <= " + Q("17") + " OR = " +
                                      Q("23") + " OR = " + Q("25") + " OR=" + Q("26") + " OR=" + Q("27") +
                                      " OR=" + Q("28") + " OR=" + Q("31");
const std::string kCodesAutresSuite = " AND <= " + Q("11") + " OR = " + Q("24") + " OR = " + Q("32") +
                                      " OR >= " + Q("50");

CriteresAbsences Base() {
  CriteresAbsences c;
  c.optSecteur = true;
  c.codeSecteur = "001";
  c.periode = ModePeriode::DansPeriode;
  c.debut = 20010;
  c.fin = 20040;
  return c;
}

TEST(SelectionRequete, SickLeaveWithSectorMatchesTheReferenceExample) {
  CriteresAbsences c = Base();
  c.arretTravail = true;
  EXPECT_EQ(RequeteAbsences(c), "SSELECT ABSENCESAIDANT" + kCodesArret + kParts + kTriListe);
}

TEST(SelectionRequete, EachTypeAloneWithoutAReason) {
  CriteresAbsences c = Base();
  c.conges = true;
  EXPECT_EQ(RequeteAbsences(c), "SSELECT ABSENCESAIDANT" + kCodesCongesPremier + kParts + kTriListe);

  c = Base();
  c.autres = true;
  EXPECT_EQ(RequeteAbsences(c),
            "SSELECT ABSENCESAIDANT AVEC NumMotifAidant >= " + Q("7") + kCodesAutresSuite + kParts + kTriListe);
}

TEST(SelectionRequete, EachTypeAloneWithAReasonSelectsThatReasonOnly) {
  const auto seul = [](bool CriteresAbsences::*type) {
    CriteresAbsences c = Base();
    c.*type = true;
    c.motif = 3;
    return RequeteAbsences(c);
  };
  const std::string attendu =
      "SSELECT ABSENCESAIDANT AVEC NumMotifAidant = " + Q("3") + kParts + kTriListe;
  EXPECT_EQ(seul(&CriteresAbsences::arretTravail), attendu);
  EXPECT_EQ(seul(&CriteresAbsences::conges), attendu);
  EXPECT_EQ(seul(&CriteresAbsences::autres), attendu);
}

TEST(SelectionRequete, ToBeValidatedAloneRepeatsItsCriteriaAroundTheAttribute28Part) {
  CriteresAbsences c = Base();
  c.aValider = true;
  const std::string attendu = "SSELECT ABSENCESAIDANT AVEC NumMotifAidant = " + Q("22") + kParts +
                              " OR AVEC 28 = " + Q("1") + kParts + kTriListe;
  EXPECT_EQ(RequeteAbsences(c), attendu);
  c.motif = 15;  // "A valider" ignores the chosen reason
  EXPECT_EQ(RequeteAbsences(c), attendu);
}

TEST(SelectionRequete, AllFourTypesEachRepeatTheirCriteria) {
  CriteresAbsences c = Base();
  c.arretTravail = c.conges = c.autres = c.aValider = true;
  c.pasDateReprise = true;
  const std::string parts = kParts + " AND AVEC 10 = " + Q("");
  EXPECT_EQ(RequeteAbsences(c), "SSELECT ABSENCESAIDANT" + kCodesArret + parts + kCodesCongesSuite + parts +
                                    " OR AVEC NumMotifAidant >= " + Q("7") + kCodesAutresSuite + parts +
                                    " OR AVEC NumMotifAidant = " + Q("22") + parts + kTriListe);
}

TEST(SelectionRequete, LaterBlocksOpenWithOr) {
  CriteresAbsences c = Base();
  c.conges = c.autres = true;
  c.motif = 52;
  EXPECT_EQ(RequeteAbsences(c), "SSELECT ABSENCESAIDANT AVEC NumMotifAidant = " + Q("52") + kParts +
                                    " OR AVEC NumMotifAidant = " + Q("52") + kParts + kTriListe);

  c.motif.reset();
  c.arretTravail = true;
  c.autres = false;
  EXPECT_EQ(RequeteAbsences(c), "SSELECT ABSENCESAIDANT" + kCodesArret + kParts + kCodesCongesSuite + kParts +
                                    kTriListe);

  c = Base();
  c.conges = c.aValider = true;
  EXPECT_EQ(RequeteAbsences(c), "SSELECT ABSENCESAIDANT" + kCodesCongesPremier + kParts +
                                    " OR AVEC NumMotifAidant = " + Q("22") + kParts + kTriListe);
}

TEST(SelectionRequete, CarersByCommuneOrAll) {
  CriteresAbsences c = Base();
  c.arretTravail = true;
  c.optSecteur = false;
  c.optCommune = true;
  c.codeSecteur = "75000";
  c.nomCommune = "SAINT-ÉTIENNE";
  const std::string periode = " AND AVEC DebAbsAidant <= " + Q(kE) + " AND AVEC 2 >= " + Q(kS);
  EXPECT_EQ(RequeteAbsences(c), "SSELECT ABSENCESAIDANT" + kCodesArret + " AND AVEC CommuneAbsAidant = " +
                                    Q("SAINT-ÉTIENNE") + periode +
                                    " PAR CommuneAbsAidant PAR NomAidant PAR PrenomAidant PAR DebAbsAidant");

  c.optCommune = false;  // "Totalité" empties the code
  c.codeSecteur.clear();
  c.nomCommune.clear();
  c.triDebut = true;
  EXPECT_EQ(RequeteAbsences(c), "SSELECT ABSENCESAIDANT" + kCodesArret + periode +
                                    " PAR DebAbsAidant PAR NomAidant PAR PrenomAidant PAR DebAbsAidant");

  c = Base();  // sector mode without a code: no condition, still grouped by sector
  c.arretTravail = true;
  c.codeSecteur.clear();
  EXPECT_EQ(RequeteAbsences(c), "SSELECT ABSENCESAIDANT" + kCodesArret + periode + kTriListe);
}

TEST(SelectionRequete, EveryPeriodOption) {
  CriteresAbsences c = Base();
  c.arretTravail = true;
  c.codeSecteur.clear();
  const std::string tete = "SSELECT ABSENCESAIDANT" + kCodesArret;
  c.periode = ModePeriode::DebutDansPeriode;
  EXPECT_EQ(RequeteAbsences(c), tete + " AND AVEC DebAbsAidant >= " + Q(kS) + " AND AVEC DebAbsAidant <= " +
                                    Q(kE) + kTriListe);
  c.periode = ModePeriode::FinDansPeriode;
  EXPECT_EQ(RequeteAbsences(c), tete + " AND AVEC 2 >= " + Q(kS) + " AND AVEC 2 <= " + Q(kE) + kTriListe);
  c.periode = ModePeriode::Aucune;
  c.pasDateReprise = true;
  EXPECT_EQ(RequeteAbsences(c), tete + " AND AVEC 10 = " + Q("") + kTriListe);
}

TEST(SelectionRequete, SortOrders) {
  CriteresAbsences c = Base();
  c.arretTravail = true;
  const std::string tete = "SSELECT ABSENCESAIDANT" + kCodesArret + kParts;
  c.triDebut = true;
  EXPECT_EQ(RequeteAbsences(c),
            tete + " PAR SecteurAbsAidant PAR DebAbsAidant PAR NomAidant PAR PrenomAidant PAR DebAbsAidant");
  c.triDebut = false;
  c.triFin = true;
  EXPECT_EQ(RequeteAbsences(c),
            tete + " PAR SecteurAbsAidant PAR 2 PAR NomAidant PAR PrenomAidant PAR DebAbsAidant");
  c.graphique = true;  // the planning sorts each group by first day only
  EXPECT_EQ(RequeteAbsences(c), tete + " PAR SecteurAbsAidant PAR 2 PAR DebAbsAidant");
  c.graphique = false;
  c.lettreInfo = true;  // letters: by name whatever the sort options say
  EXPECT_EQ(RequeteAbsences(c), tete + " PAR NomAidant PAR PrenomAidant PAR @ID");
}

// Every variant must be a query the database accepts.
TEST(SelectionRequete, EveryVariantRunsOnTheDatabase) {
  testing::BaseSelection base;
  base.Write("CIVILAIDANT", "00001", {{2, {"DURAND"}}, {3, {"Léa"}}, {11, {"LYON"}}, {31, {"001"}}});
  base.Write("ABSENCESAIDANT", "000010220015", {{1, {"1"}}, {2, {"20020"}}, {3, {"2"}}});
  base.Write("ABSENCESAIDANT", "000011520030", {{1, {"1"}}, {2, {"20035"}}, {3, {"2"}}, {10, {"20036"}}});
  base.Write("ABSENCESAIDANT", "000014520030", {{1, {"1"}}, {2, {"20035"}}, {3, {"2"}}, {28, {"1"}}});
  for (int types = 1; types < 16; ++types) {
    for (ModePeriode periode : {ModePeriode::DansPeriode, ModePeriode::FinDansPeriode}) {
      CriteresAbsences c = Base();
      c.arretTravail = types & 1;
      c.conges = types & 2;
      c.autres = types & 4;
      c.aValider = types & 8;
      c.periode = periode;
      c.pasDateReprise = types == 3;
      c.triFin = types % 2 == 0;
      long count = 0;
      const std::string requete = RequeteAbsences(c);
      EXPECT_NO_THROW(base.db().DBSelect(
          DemandeSelection(requete, kFichierAbsences, kAttributsAbsences).Text(), "", count))
          << requete;
    }
  }
  CriteresAbsences c = Base();
  c.aValider = true;
  long count = 0;
  const mvdb::DynArray rows =
      base.db().DBSelect(DemandeSelection(RequeteAbsences(c), kFichierAbsences, kAttributsAbsences).Text(), "", count);
  ASSERT_EQ(rows.DCount(), 1);  // reason 45 still to be validated
  EXPECT_EQ(rows.Item(1, 1), "000014520030");
  EXPECT_EQ(rows.Item(1, 3), "20035");
}

}  // namespace
}  // namespace morvane::control
