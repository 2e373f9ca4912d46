// The host contract: the print right, INIT's effects and failures, "Sortir",
// termination, the events that are never raised, and the event guard.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <stdexcept>

#include "control/event_adapter.h"
#include "control/procedure.h"
#include "control/variable.h"
#include "control_fixture.h"
#include "mvdb/errors.h"

namespace morvane::testing {
namespace {

using control::classic::Visible;
namespace Variable = control::Variable;

class HostContract : public ControlTest {};

TEST_F(HostContract, OnlyAccessLevelTwoSeesImprimer) {
  for (int level : {0, 1, 2, 3}) {
    Demarrer(level);
    EXPECT_EQ(Visible(form().Cmd_Imprimer), level == 2) << "level " << level;
    EXPECT_TRUE(Visible(form().Cmd_Sortir));
    Detruire();
  }
}

TEST_F(HostContract, InitPreparesTheForm) {
  Creer();
  form().Opt_LettreInfo->setEnabled(true);  // even if it had been enabled before
  control().INIT();
  EXPECT_FALSE(form().Opt_LettreInfo->isEnabled());
  EXPECT_EQ(QApplication::focusWidget(), form().Txt_Entite);
  EXPECT_EQ(state().EntiteDefaut, "001");
  EXPECT_EQ(state().UnCm, 567);
  EXPECT_TRUE(state().TabMotif.Empty());
  EXPECT_TRUE(form().Cbo_Motif->currentText().isEmpty());
  EXPECT_EQ(form().Cbo_Secteur->count(), 2);  // the sector list is filled
  EXPECT_EQ(form().Cbo_Entite->count(), 2);   // and the entity list
  // Pointer and surface are back to normal.
  EXPECT_FALSE(ui().IsBusy());
  EXPECT_TRUE(control().isEnabled());
  EXPECT_EQ(Access::BusyDepth(control()), 0);
}

TEST_F(HostContract, InitOpensSixteenHandlesWithSecteurTwiceAndTerminationClosesThem) {
  Demarrer();
  EXPECT_EQ(control::Procedure::Fichiers_Ouverts(), 16);
  EXPECT_TRUE(Variable::FicSecteur.IsOpen());
  EXPECT_TRUE(Variable::FicSecteur2.IsOpen());
  EXPECT_EQ(Variable::FicSecteur.Name(), "SECTEUR");
  EXPECT_EQ(Variable::FicSecteur2.Name(), "SECTEUR");
  EXPECT_EQ(Variable::EnregCompteur.Item(47), "001");
  Detruire();
  EXPECT_EQ(control::Procedure::Fichiers_Ouverts(), 0);
  EXPECT_FALSE(Variable::FicSecteur.IsOpen());
  EXPECT_FALSE(Variable::FicSecteur2.IsOpen());
  EXPECT_EQ(Variable::TheDatabase, nullptr);
  EXPECT_TRUE(Variable::EnregCompteur.Empty());
}

TEST_F(HostContract, MissingAttribute47GivesAnEmptyDefaultEntity) {
  Write("COMPTEUR", "999", {{1, {"x"}}});
  Demarrer();
  EXPECT_TRUE(state().EntiteDefaut.isEmpty());
}

TEST_F(HostContract, InitBeforeTheDatabaseOrTheRightsFailsClearly) {
  Creer(2, /*handDatabase=*/false);
  EXPECT_THROW(control().INIT(), std::logic_error);
  EXPECT_EQ(control::Procedure::Fichiers_Ouverts(), 0);
  Detruire();
  Creer(2, /*handDatabase=*/true, /*handRights=*/false);
  EXPECT_THROW(control().INIT(), std::logic_error);
  EXPECT_TRUE(control().isEnabled());
}

TEST_F(HostContract, CompteurWithoutRecord999FailsInitWithRecordNotFound) {
  db().DBOpen("COMPTEUR").DBDelete("999");
  Creer();
  try {
    control().INIT();
    FAIL() << "INIT succeeded";
  } catch (const mvdb::DbError& e) {
    EXPECT_TRUE(e.IsNotFound());
  }
  EXPECT_FALSE(ui().IsBusy());
  EXPECT_TRUE(control().isEnabled());
  EXPECT_EQ(Access::BusyDepth(control()), 0);
}

TEST_F(HostContract, SortirClosesTheHostWindowAndTheFilesCloseWithTheControl) {
  Demarrer(1);  // "Sortir" works without the print right too
  QSignalSpy unload(&control(), &control::Ctr_Morvane::unloadRequested);
  QTest::mouseClick(form().Cmd_Sortir, Qt::LeftButton);
  EXPECT_EQ(unload.count(), 1);
  EXPECT_FALSE(window().isVisible());
  // Not at the click: only when the control is destroyed.
  EXPECT_EQ(control::Procedure::Fichiers_Ouverts(), 16);
  EXPECT_NE(Variable::TheDatabase, nullptr);
  Detruire();
  EXPECT_EQ(control::Procedure::Fichiers_Ouverts(), 0);
  EXPECT_EQ(Variable::TheDatabase, nullptr);
}

TEST_F(HostContract, TerminationReleasesListsAndRightsButNotTheClient) {
  Demarrer();
  ASSERT_FALSE(state().ListeSecteur.Empty());
  Access::UserControl_Terminate(control());
  EXPECT_TRUE(state().ListeSecteur.Empty());
  EXPECT_TRUE(state().ResultatSelection.Empty());
  EXPECT_EQ(state().DroitsUtilisateur, nullptr);
  EXPECT_EQ(state().DroitsAbsences, nullptr);
  EXPECT_NE(Variable::TheClient, nullptr);
  EXPECT_EQ(control::Procedure::Fichiers_Ouverts(), 0);
}

TEST_F(HostContract, TheThreeEventsAreNeverRaised) {
  Demarrer();
  QSignalSpy automate(&control(), &control::Ctr_Morvane::W_automate);
  QSignalSpy sortir(&control(), &control::Ctr_Morvane::W_Sortir);
  QSignalSpy imprimer(&control(), &control::Ctr_Morvane::W_RequeteImprimer);
  auto& f = form();
  QTest::mouseClick(f.Opt_Com, Qt::LeftButton);
  QTest::mouseClick(f.Opt_Tot, Qt::LeftButton);
  QTest::mouseClick(f.Cac_ArretTravail, Qt::LeftButton);
  QTest::mouseClick(f.Opt_FinPeriodeRef, Qt::LeftButton);
  QTest::mouseClick(f.Opt_LettreInfo, Qt::LeftButton);
  QTest::mouseClick(f.Cmd_Imprimer, Qt::LeftButton);  // refused: no dates
  QTest::mouseClick(f.Cmd_Sortir, Qt::LeftButton);
  EXPECT_EQ(automate.count() + sortir.count() + imprimer.count(), 0);
}

TEST_F(HostContract, AFailingEventProcedureShowsItsMessageAndLeavesTheFormUsable) {
  Demarrer();
  Access::AsEvent(control(), "Essai_Click", [&] {
    Access::Sablier_On(control());
    throw mvdb::DbError(mvdb::ErrorCode::kIo, "disk full");
  });
  ASSERT_EQ(ui().Messages().size(), 1u);
  EXPECT_TRUE(ui().Messages()[0].first.contains("disk full"));
  EXPECT_FALSE(ui().IsBusy());
  EXPECT_TRUE(control().isEnabled());
  EXPECT_EQ(Access::BusyDepth(control()), 0);
  // The form still works.
  QTest::mouseClick(form().Opt_Com, Qt::LeftButton);
  EXPECT_EQ(form().Etq_Secteur->text(), "Commune");
}

TEST_F(HostContract, AFailureInANestedEventIsReportedOnceWhenTheOuterProcedureEnds) {
  Demarrer();
  int reachedAfter = 0;
  Access::AsEvent(control(), "Outer_Click", [&] {
    Access::AsEvent(control(), "Inner_Change", [] { throw std::runtime_error("inner failure"); });
    EXPECT_TRUE(ui().Messages().empty());  // not yet
    ++reachedAfter;
  });
  EXPECT_EQ(reachedAfter, 1);
  ASSERT_EQ(ui().Messages().size(), 1u);
  EXPECT_TRUE(ui().Messages()[0].first.contains("Inner_Change : inner failure"));
}

}  // namespace
}  // namespace morvane::testing
