// The selection form's design-time state and its option interplay.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "control/event_adapter.h"
#include "control_fixture.h"

namespace morvane::testing {
namespace {

using control::classic::Enabled;
using control::classic::Value;
using control::classic::Visible;

class FormClicks : public ControlTest {
 protected:
  void Clic(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, 4)); }
};

TEST_F(FormClicks, FreshFormShowsTheDesignTimeState) {
  Demarrer();
  auto& f = form();
  EXPECT_TRUE(f.Opt_Liste->isChecked());
  EXPECT_TRUE(f.Opt_Secteur->isChecked());
  EXPECT_TRUE(f.Opt_PeriodeRef->isChecked());
  EXPECT_TRUE(f.Opt_Alpha->isChecked());
  for (QCheckBox* box : {f.Cac_ArretTravail, f.Cac_Conges, f.Cac_EvtFam, f.Cac_AValider, f.Cac_PasDateRep}) {
    EXPECT_EQ(Value(box), 0) << box->objectName().toStdString();
  }
  EXPECT_FALSE(Enabled(f.Opt_LettreInfo));
  EXPECT_FALSE(Enabled(f.Cdr_LettreInfo));
  EXPECT_FALSE(Enabled(f.Opt_LettreType));
  EXPECT_FALSE(Enabled(f.Opt_LettrePubli));
  EXPECT_FALSE(f.Opt_LettreType->isChecked() || f.Opt_LettrePubli->isChecked());
  EXPECT_TRUE(Enabled(f.Cac_PasDateRep));
  EXPECT_FALSE(Enabled(f.Cdr_Activites));
  EXPECT_EQ(f.Etq_Secteur->text(), "Secteur");
  EXPECT_FALSE(Visible(f.Ctr_Vellaro1) || Visible(f.Ctr_Dorsany) || Visible(f.Ctr_Brinel));
}

TEST_F(FormClicks, CommuneThenSecteurSwitchesLabelLimitAndList) {
  Demarrer();
  auto& f = form();
  f.Txt_Secteur->setText("001");
  Clic(f.Opt_Com);
  EXPECT_EQ(f.Etq_Secteur->text(), "Commune");
  EXPECT_EQ(f.Txt_Secteur->maxLength(), 5);
  EXPECT_TRUE(f.Txt_Secteur->text().isEmpty());
  EXPECT_EQ(f.Cbo_Secteur->itemText(0), "LYON");  // communes, sorted by name
  f.Txt_Secteur->setText("75000");
  Clic(f.Opt_Secteur);
  EXPECT_EQ(f.Etq_Secteur->text(), "Secteur");
  EXPECT_EQ(f.Txt_Secteur->maxLength(), 3);
  EXPECT_TRUE(f.Txt_Secteur->text().isEmpty());
  EXPECT_EQ(f.Cbo_Secteur->itemText(0), "NORD");
  EXPECT_TRUE(ui().Messages().empty());  // no sector "750" was looked up
}

TEST_F(FormClicks, TotaliteHidesTheLookUpAndSecteurBringsItBackRefilled) {
  Demarrer();
  auto& f = form();
  f.Txt_Secteur->setText("002");
  ASSERT_EQ(f.Cbo_Secteur->currentText(), "SUD");
  Clic(f.Opt_Tot);
  EXPECT_TRUE(f.Txt_Secteur->text().isEmpty());
  EXPECT_TRUE(f.Cbo_Secteur->currentText().isEmpty());
  EXPECT_FALSE(Visible(f.Etq_Secteur) || Visible(f.Txt_Secteur) || Visible(f.Cbo_Secteur));
  Clic(f.Opt_Secteur);
  EXPECT_TRUE(Visible(f.Etq_Secteur) && Visible(f.Txt_Secteur) && Visible(f.Cbo_Secteur));
  EXPECT_EQ(f.Cbo_Secteur->count(), 2);
}

TEST_F(FormClicks, OnlySickLeaveEnablesTheNoReturnDateBox) {
  Demarrer();
  auto& f = form();
  Clic(f.Cac_ArretTravail);
  EXPECT_TRUE(Enabled(f.Cac_PasDateRep));
  Clic(f.Cac_PasDateRep);
  Clic(f.Cac_Conges);
  EXPECT_FALSE(Enabled(f.Cac_PasDateRep));
  EXPECT_EQ(Value(f.Cac_PasDateRep), 1);  // keeps its tick while disabled
  Clic(f.Cac_Conges);                     // unticking does not enable it again
  EXPECT_FALSE(Enabled(f.Cac_PasDateRep));
  Clic(f.Cac_ArretTravail);  // unticking sick leave is a click on it too
  EXPECT_TRUE(Enabled(f.Cac_PasDateRep));
}

TEST_F(FormClicks, LetterOptionFollowsTheEndOfAbsenceOption) {
  Demarrer();
  auto& f = form();
  Clic(f.Cac_ArretTravail);
  Clic(f.Opt_FinPeriodeRef);
  EXPECT_TRUE(Enabled(f.Opt_LettreInfo));
  Clic(f.Opt_PeriodeRef);
  EXPECT_FALSE(Enabled(f.Opt_LettreInfo));
  Clic(f.Opt_FinPeriodeRef);
  EXPECT_TRUE(Enabled(f.Opt_LettreInfo));
  Clic(f.Opt_DebutPeriodeRef);
  EXPECT_FALSE(Enabled(f.Opt_LettreInfo));
  // With a second type ticked the end-of-absence option disables it.
  Clic(f.Cac_AValider);
  Clic(f.Opt_FinPeriodeRef);
  EXPECT_FALSE(Enabled(f.Opt_LettreInfo));
}

TEST_F(FormClicks, LetterSubOptionsOpenWithTheLetterAndKeepTheirChoice) {
  Demarrer();
  auto& f = form();
  Clic(f.Cac_ArretTravail);
  Clic(f.Opt_FinPeriodeRef);
  Clic(f.Opt_LettreInfo);
  EXPECT_TRUE(Enabled(f.Cdr_LettreInfo) && Enabled(f.Opt_LettreType) && Enabled(f.Opt_LettrePubli));
  EXPECT_FALSE(f.Opt_LettreType->isChecked() || f.Opt_LettrePubli->isChecked());
  Clic(f.Opt_LettrePubli);
  Clic(f.Opt_Liste);
  EXPECT_FALSE(Enabled(f.Cdr_LettreInfo) || Enabled(f.Opt_LettreType) || Enabled(f.Opt_LettrePubli));
  EXPECT_TRUE(f.Opt_LettrePubli->isChecked());
  Clic(f.Opt_LettreInfo);
  Clic(f.Option1);
  EXPECT_FALSE(Enabled(f.Opt_LettreType));
  Clic(f.Opt_LettreInfo);
  Clic(f.Opt_Graphique);
  EXPECT_FALSE(Enabled(f.Opt_LettrePubli));
}

}  // namespace
}  // namespace morvane::testing
