// The date fields' exit check and the criteria check run by "Imprimer".
#include "lookup_fixture.h"

#include "ctr_morvane_test_access.h"

namespace morvane::testing {
namespace {

using control::CtrMorvaneTestAccess;

const QString kErreurDate = "Erreur de saisie dans la date, veuillez la ressaisir.";

class Periode : public LookupTest {
 protected:
  void SetUp() override {
    Secteur("001", "NORD");
    Entite("001", "ALPHA", {"P", "M"});
    Entite("002", "BETA", {"P"});
    Motifs({{"01", "Maladie"}});
  }
  QLineEdit* debut() { return Txt("Txt_Debut"); }
  QLineEdit* fin() { return Txt("Txt_Fin"); }

  /// Runs the criteria check; true when the request is refused.
  bool Refuse() {
    CtrMorvaneTestAccess::Test(control());
    return CtrMorvaneTestAccess::State(control()).Erreur;
  }
};

TEST_F(Periode, LeavingAFieldNormalisesTheDateOrGivesTheFocusBack) {
  Demarrer();
  Taper(debut(), "");
  Quitter(fin());
  EXPECT_TRUE(fin()->hasFocus());  // an empty field passes
  Taper(fin(), "1/2/24");
  Quitter(debut());
  EXPECT_EQ(fin()->text(), "01/02/2024");
  EXPECT_TRUE(debut()->hasFocus());
  EXPECT_TRUE(Messages().isEmpty());

  Taper(debut(), "31/2/24");
  Quitter(fin());
  EXPECT_EQ(Messages(), QStringList({kErreurDate}));
  EXPECT_EQ(debut()->text(), "31/02/2024");  // normalised, kept, not cleared
  EXPECT_TRUE(debut()->hasFocus());
}

TEST_F(Periode, CriteriaMessagesComeInTheirOrderWithTheirFocus) {
  Demarrer();
  QPushButton* imprimer = Get<QPushButton>("Cmd_Imprimer");
  const auto refus = [&]() {
    ui().Clear();
    QTest::mouseClick(imprimer, Qt::LeftButton);
    return Messages();
  };
  // Pressing the button gives it the focus; a refusal that names no field
  // leaves the focus there.
  EXPECT_EQ(refus(), QStringList({"Au moins un type d'absence doit être sélectionné."}));
  EXPECT_TRUE(imprimer->hasFocus());

  Cliquer(Cac("Cac_ArretTravail"));
  EXPECT_EQ(refus(), QStringList({"La date de début doit être renseignée."}));
  EXPECT_TRUE(debut()->hasFocus());

  Taper(debut(), "15/03/2024");
  EXPECT_EQ(refus(), QStringList({"La date de fin doit être renseignée."}));
  EXPECT_TRUE(fin()->hasFocus());

  Taper(fin(), "14/03/2024");
  EXPECT_EQ(refus(), QStringList({"La date de début doit être inférieure à la date de fin."}));
  EXPECT_EQ(fin()->text(), QString());
  EXPECT_EQ(debut()->text(), "15/03/2024");
  EXPECT_TRUE(fin()->hasFocus());
  EXPECT_FALSE(CtrMorvaneTestAccess::State(control()).Erreur);  // reset by the request

  // The entity offers both types and both are unticked.
  Taper(fin(), "15/03/2024");
  ASSERT_EQ(Txt("Txt_Entite")->text(), QString());
  Taper(Txt("Txt_Entite"), "001");
  Cliquer(Cac("Cac_Prest"));
  Cliquer(Cac("Cac_Mandat"));
  EXPECT_EQ(refus(), QStringList({"Au moins un type d'activité doit être coché."}));
  EXPECT_TRUE(imprimer->hasFocus());
  for (const auto& [text, icon] : ui().Messages()) EXPECT_EQ(icon, services::MsgIcon::Exclamation) << text.toStdString();
}

TEST_F(Periode, EqualDatesPassAndOnlyTheFirstRefusalIsShown) {
  Demarrer();
  EXPECT_TRUE(Refuse());
  EXPECT_EQ(Messages().size(), 1);  // both dates empty too, one message only

  Cliquer(Cac("Cac_Conges"));
  Taper(debut(), "15/03/2024");
  Taper(fin(), "15/03/2024");
  ui().Clear();
  EXPECT_FALSE(Refuse());
  EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(Periode, ActivityTypesAreOnlyCheckedForAnEntityOfferingBoth) {
  Demarrer();
  Cliquer(Cac("Cac_AValider"));
  Taper(debut(), "01/03/2024");
  Taper(fin(), "31/03/2024");
  EXPECT_FALSE(Refuse());  // no entity typed: the boxes are not looked at

  Taper(Txt("Txt_Entite"), "002");  // service provider only: "Mandataire" disabled
  Cliquer(Cac("Cac_Prest"));
  ASSERT_FALSE(Cac("Cac_Prest")->isChecked());
  EXPECT_FALSE(Refuse());
}

TEST_F(Periode, GrayedBoxCountsAsTicked) {
  Demarrer();
  Taper(debut(), "01/03/2024");
  Taper(fin(), "31/03/2024");
  control::classic::SetValue(Cac("Cac_EvtFam"), 2);
  EXPECT_FALSE(Refuse());
}

TEST_F(Periode, ImprimerRightAfterARefusedDateDoesNotCrash) {
  Demarrer();
  Cliquer(Cac("Cac_ArretTravail"));
  Taper(fin(), "31/03/2024");
  Taper(debut(), "32/13/2024");
  QTest::mouseClick(Get<QPushButton>("Cmd_Imprimer"), Qt::LeftButton);  // leaves the field, then presses
  EXPECT_EQ(Messages(), QStringList({kErreurDate, kErreurDate}));
  EXPECT_TRUE(debut()->hasFocus());
  EXPECT_FALSE(CtrMorvaneTestAccess::State(control()).Erreur);
}

}  // namespace
}  // namespace morvane::testing
