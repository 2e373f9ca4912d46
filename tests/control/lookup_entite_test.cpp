// The legal-entity look-up and the activity-type boxes, worked as a user does.
#include "lookup_fixture.h"

#include <chrono>

#include <QGroupBox>

#include "ctr_morvane_test_access.h"

namespace morvane::testing {
namespace {

using control::CtrMorvaneTestAccess;

class LookupEntite : public LookupTest {
 protected:
  QLineEdit* code() { return Txt("Txt_Entite"); }
  QComboBox* liste() { return Cbo("Cbo_Entite"); }
  QCheckBox* prest() { return Cac("Cac_Prest"); }
  QCheckBox* mandat() { return Cac("Cac_Mandat"); }

  // Four entities listed by name: ALPHA, BETA, BRAVO, CARE.
  void QuatreEntites() {
    Entite("001", "ALPHA", {"P", "M"});
    Entite("003", "BETA", {"M"});
    Entite("005", "BRAVO", {"I", "S"});
    Entite("002", "CARE", {"X"});
  }
  // Enabled and ticked state of the two activity boxes.
  std::pair<bool, bool> Prest() { return {control::classic::Enabled(prest()), prest()->isChecked()}; }
  std::pair<bool, bool> Mandat() { return {control::classic::Enabled(mandat()), mandat()->isChecked()}; }
};

TEST_F(LookupEntite, SingleEntityIsChosenAtInit) {
  Entite("001", "ALPHA", {"P", "M"});
  Demarrer();
  EXPECT_EQ(code()->text(), "001");
  EXPECT_EQ(liste()->currentText(), "ALPHA");
  EXPECT_TRUE(control::classic::Enabled(Get<QGroupBox>("Cdr_Activites")));
  EXPECT_EQ(Prest(), std::make_pair(true, true));
  EXPECT_EQ(Mandat(), std::make_pair(true, true));
  const auto queries = Requetes();
  ASSERT_GE(queries.size(), 3u);
  EXPECT_EQ(queries[1], "SSELECT ACTIVITES PAR LibAssoActivites PAR 0");
  EXPECT_EQ(queries[2], "SSELECT ACTIVITES AVEC 0 = \"001]\"");
}

TEST_F(LookupEntite, EnterFiltersByTheUpperCasedBeginning) {
  QuatreEntites();
  Entite("004", "ARC", {"P"});
  Demarrer();
  EXPECT_EQ(Elements(liste()), QStringList({"ALPHA", "ARC", "BETA", "BRAVO", "CARE"}));
  EXPECT_EQ(code()->text(), QString());

  Taper(liste(), "a");
  Entree(liste());
  EXPECT_EQ(Elements(liste()), QStringList({"ALPHA", "ARC"}));
  EXPECT_EQ(code()->text(), QString());

  liste()->lineEdit()->setText("al");
  Entree(liste());
  EXPECT_EQ(Elements(liste()), QStringList({"ALPHA"}));
  EXPECT_EQ(code()->text(), "001");  // a single match is chosen at once
  EXPECT_EQ(liste()->currentText(), "ALPHA");

  liste()->lineEdit()->clear();  // also empties the code
  EXPECT_EQ(code()->text(), QString());
  Entree(liste());
  EXPECT_EQ(liste()->count(), 5);
  EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(LookupEntite, TheFieldKeepsTheFocusThroughALongStep) {
  QuatreEntites();
  Demarrer();
  Taper(liste(), "a");
  Entree(liste());  // filters the list with the surface disabled meanwhile
  EXPECT_TRUE(liste()->hasFocus() || liste()->lineEdit()->hasFocus());

  Taper(code(), "001");  // the third character looks the entity up
  EXPECT_TRUE(code()->hasFocus());
  EXPECT_TRUE(Messages().isEmpty()) << "no field was left during the look-ups";
}

TEST_F(LookupEntite, PickingAfterAFilteringWritesTheFilteredRowsCode) {
  QuatreEntites();
  Demarrer();
  Taper(liste(), "b");
  Entree(liste());
  ASSERT_EQ(Elements(liste()), QStringList({"BETA", "BRAVO"}));
  Choisir(liste(), 1);
  EXPECT_EQ(code()->text(), "005");  // not 003, the second row of the full list
  EXPECT_EQ(liste()->currentText(), "BRAVO");
  EXPECT_EQ(Prest(), std::make_pair(true, true));     // I and S: service provider
  EXPECT_EQ(Mandat(), std::make_pair(false, false));
}

TEST_F(LookupEntite, AccentedLettersAndCodesAbove122AreRefused) {
  QuatreEntites();
  Demarrer();
  Taper(liste(), "b");
  TaperCaractere(liste(), Qt::Key_Eacute, QString::fromUtf8("é"));
  QTest::keyClicks(liste(), "{");
  EXPECT_EQ(liste()->currentText(), "b");
  EXPECT_EQ(Messages(), QStringList({"La saisie de minuscule accentuée est interdite sur cette zone.",
                                     "La saisie de minuscule accentuée est interdite sur cette zone."}));
}

TEST_F(LookupEntite, NoMatchBeepsAndEmptiesTheList) {
  QuatreEntites();
  Demarrer();
  Taper(liste(), "zu");
  Entree(liste());
  EXPECT_EQ(liste()->count(), 0);
  EXPECT_EQ(ui().Beeps(), 1);
  EXPECT_EQ(Messages(), QStringList({"Aucune entité commençant par ZU"}));
}

TEST_F(LookupEntite, TypedCodeIsPaddedAndOffersItsActivityTypes) {
  QuatreEntites();
  Demarrer();
  Taper(code(), "3");
  Quitter(Txt("Txt_Debut"));
  EXPECT_EQ(code()->text(), "003");
  EXPECT_EQ(liste()->currentText(), "BETA");
  EXPECT_EQ(Prest(), std::make_pair(false, false));
  EXPECT_EQ(Mandat(), std::make_pair(true, true));
  EXPECT_EQ(Requetes().back(), "SSELECT ACTIVITES AVEC 0 = \"003]\"");

  // An activity type that is neither kind offers no box.
  code()->clear();
  Taper(code(), "2");
  Entree(code());
  EXPECT_EQ(code()->text(), "002");
  EXPECT_EQ(liste()->currentText(), "CARE");
  EXPECT_EQ(Prest(), std::make_pair(false, false));
  EXPECT_EQ(Mandat(), std::make_pair(false, false));
  EXPECT_TRUE(control::classic::Enabled(Get<QGroupBox>("Cdr_Activites")));
}

TEST_F(LookupEntite, DeletingOneCharacterOfAChosenCodeResetsTheActivities) {
  QuatreEntites();
  Secteur("001", "NORD");
  Demarrer();
  Cliquer(Cac("Cac_Conges"));
  Taper(Txt("Txt_Secteur"), "001");
  Taper(code(), "001");
  ASSERT_EQ(Prest(), std::make_pair(true, true));
  code()->setFocus(Qt::MouseFocusReason);
  code()->end(false);
  QTest::keyClick(code(), Qt::Key_Backspace);
  EXPECT_EQ(code()->text(), QString());
  EXPECT_EQ(liste()->currentText(), QString());
  EXPECT_EQ(Prest(), std::make_pair(false, false));
  EXPECT_EQ(Mandat(), std::make_pair(false, false));
  EXPECT_FALSE(control::classic::Enabled(Get<QGroupBox>("Cdr_Activites")));
  // The rest of the form is untouched.
  EXPECT_TRUE(Cac("Cac_Conges")->isChecked());
  EXPECT_EQ(Txt("Txt_Secteur")->text(), "001");
  EXPECT_EQ(Cbo("Cbo_Secteur")->currentText(), "NORD");
}

TEST_F(LookupEntite, UnknownCodeAndEntityWithoutRecordAreRefused) {
  QuatreEntites();
  Activites("007", {"P"});  // activities, but no ASSOCIATION record
  Demarrer();
  EXPECT_EQ(liste()->count(), 4);
  Taper(code(), "007");
  EXPECT_EQ(Messages(), QStringList({"Cette entité juridique n'existe pas."}));
  EXPECT_EQ(code()->text(), QString());
  EXPECT_TRUE(code()->hasFocus());
  EXPECT_EQ(Prest(), std::make_pair(false, false));
}

TEST_F(LookupEntite, FailedSelectionIsReportedAndTheFormStaysUsable) {
  QuatreEntites();
  db().DBOpen("DICT ACTIVITES").DBDelete("LibAssoActivites");  // the sort field is unknown
  Demarrer();
  ASSERT_EQ(Messages().size(), 1);
  EXPECT_TRUE(Messages().front().startsWith("La liste des entités juridiques n'a pas pu être lue"));
  EXPECT_EQ(liste()->count(), 0);
  Taper(code(), "001");
  EXPECT_EQ(Messages().size(), 2);  // not in the (empty) list
  Cliquer(Cac("Cac_ArretTravail"));
  EXPECT_TRUE(Cac("Cac_ArretTravail")->isChecked());
}

TEST_F(LookupEntite, FortyThousandEntitiesAreListedWhole) {
  constexpr int kEntites = 40000;  // past the 32,767 of 16-bit counters
  db().Transaction([&] {
    mvdb::DbFile associations = db().DBOpen("ASSOCIATION");
    mvdb::DbFile activites = db().DBOpen("ACTIVITES");
    for (int i = 0; i < kEntites; ++i) {
      const std::string cle = QString::number(i, 36).rightJustified(3, '0').toUpper().toStdString();
      mvdb::DynArray association = associations.DBNew(cle);
      association.SetItem(1, "E" + cle);
      association.DBWrite();
      mvdb::DynArray activite = activites.DBNew(cle + "01");
      activite.SetItem(12, "P");
      activite.DBWrite();
    }
  });
  const auto debut = std::chrono::steady_clock::now();
  Demarrer();
  const auto duree = std::chrono::steady_clock::now() - debut;
  std::cout << "[ info ] INIT with " << kEntites << " entities: "
            << std::chrono::duration_cast<std::chrono::milliseconds>(duree).count() << " ms\n";
  EXPECT_EQ(liste()->count(), kEntites);
  EXPECT_EQ(CtrMorvaneTestAccess::State(control()).ListeEntites.DCount(), kEntites);
  const QString derniere = QString::number(kEntites - 1, 36).rightJustified(3, '0').toUpper();
  EXPECT_EQ(liste()->itemText(kEntites - 1), "E" + derniere);
  Taper(code(), derniere);
  EXPECT_EQ(liste()->currentText(), "E" + derniere);
  EXPECT_EQ(Prest(), std::make_pair(true, true));
}

}  // namespace
}  // namespace morvane::testing
