// The host contract: the print right, INIT's effects and failures, "Sortir"
// and the files of the whole process closed with the control.
#include <QSignalSpy>

#include "builder.h"
#include "control/procedure.h"
#include "control/variable.h"

namespace morvane::testing {
namespace {

namespace Variable = control::Variable;
using control::classic::Visible;

class HostContract : public ::testing::Test {
 protected:
  HostContract() {
    base.Secteur("001", "NORD");
    base.Secteur("002", "SUD");
    base.Entite("001", "AIDE A DOMICILE", {"P"});
    base.Entite("002", "SERVICES PLUS", {"M"});
  }
  Base base;
};

TEST_F(HostContract, OnlyAccessLevelTwoSeesImprimer) {
  for (int level : {0, 1, 2, 3}) {
    Controle form(base, {.niveau = level});
    EXPECT_EQ(Visible(form.Cmd("Cmd_Imprimer")), level == 2) << level;
    EXPECT_TRUE(Visible(form.Cmd("Cmd_Sortir")));
  }
}

TEST_F(HostContract, InitPreparesTheFormAndOpensTheFilesOfTheProcess) {
  {
    Controle form(base, {.init = false});
    form.Opt("Opt_LettreInfo")->setEnabled(true);  // even when enabled before
    form.control().INIT();
    EXPECT_FALSE(form.Opt("Opt_LettreInfo")->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), form.Txt("Txt_Entite"));
    EXPECT_EQ(Controle::Elements(form.Cbo("Cbo_Secteur")), QStringList({"NORD", "SUD"}));
    EXPECT_EQ(Controle::Elements(form.Cbo("Cbo_Entite")), QStringList({"AIDE A DOMICILE", "SERVICES PLUS"}));
    EXPECT_TRUE(form.Cbo("Cbo_Motif")->currentText().isEmpty());
    EXPECT_TRUE(form.Libre());
    EXPECT_EQ(control::Procedure::Fichiers_Ouverts(), 16);
    EXPECT_EQ(std::tuple(Variable::FicSecteur.Name(), Variable::FicSecteur2.Name()), std::tuple("SECTEUR", "SECTEUR"));
    // "Sortir" asks the host to unload its window; the files stay open until
    // the control is destroyed with it.
    QSignalSpy unload(&form.control(), &control::Ctr_Morvane::unloadRequested);
    form.control().setClosesHostWindow(true);
    form.Cliquer("Cmd_Sortir");
    EXPECT_EQ(unload.count(), 1);
    EXPECT_FALSE(form.window().isVisible());
    EXPECT_EQ(control::Procedure::Fichiers_Ouverts(), 16);
  }
  EXPECT_EQ(control::Procedure::Fichiers_Ouverts(), 0);
  EXPECT_EQ(Variable::TheDatabase, nullptr);
  EXPECT_NE(Variable::TheClient, nullptr);  // the client is not released
  EXPECT_TRUE(Variable::EnregCompteur.Empty());
}

TEST_F(HostContract, InitFailuresReachTheHostWithTheFormRestored) {
  {
    Controle form(base, {.base = false, .init = false});
    EXPECT_THROW(form.control().INIT(), std::logic_error);
    EXPECT_EQ(control::Procedure::Fichiers_Ouverts(), 0);
  }
  {
    Controle form(base, {.droits = false, .init = false});
    EXPECT_THROW(form.control().INIT(), std::logic_error);
    EXPECT_TRUE(form.Libre());
  }
  base.db().DBOpen("COMPTEUR").DBDelete("999");
  Controle form(base, {.init = false});
  try {
    form.control().INIT();
    FAIL() << "INIT succeeded";
  } catch (const mvdb::DbError& e) {
    EXPECT_TRUE(e.IsNotFound());
  }
  EXPECT_TRUE(form.Libre());
  EXPECT_THROW(form.control().setDroitsUtilisateur(nullptr), std::invalid_argument);
}

}  // namespace
}  // namespace morvane::testing
