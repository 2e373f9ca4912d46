// A database failure deep inside an output, in the window: the user gets a
// message box, the form comes back enabled, and the next request works.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <sqlite3.h>

#include "control_fixture.h"
#include "mvdb/storage.h"
#include "support/database_setup.h"

namespace morvane::testing {
namespace {

using services::MsgIcon;

class OutputFailure : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    ImportDictionaries(db(), {"ABSENCESAIDANT", "CONTRAT"});
    Write("CIVILAIDANT", "00001", {{2, {"DURAND"}}, {3, {"Léa"}}, {31, {"001"}}, {32, {"0011"}}});
    Write("ABSENCESAIDANT", "0000101" + std::to_string(services::DayNumber({2024, 3, 5})),
          {{1, {"1"}}, {2, {std::to_string(services::DayNumber({2024, 3, 8}))}}, {3, {"2"}}, {17, {"00001001"}}});
  }

  /// Sick leave in March 2024 on the chosen output, then "Imprimer".
  void Imprimer(QRadioButton* sortie) {
    if (form().Cac_ArretTravail->checkState() != Qt::Checked) form().Cac_ArretTravail->click();
    form().Txt_Debut->setText(QStringLiteral("01/03/2024"));
    form().Txt_Fin->setText(QStringLiteral("31/03/2024"));
    sortie->click();
    ui().Clear();
    form().Cmd_Imprimer->click();
  }
};

TEST_F(OutputFailure, AReadFailingInsideTheExportShowsAMessageAndTheNextRequestWorks) {
  Demarrer();
  QSignalSpy unloads(&control(), &control::Ctr_Morvane::unloadRequested);
  BreakStorageOf(db(), "SOUSSECTEUR");  // read by the export only, for the carer's sub-sector label

  Imprimer(form().Option1);
  ASSERT_EQ(ui().Messages().size(), 1u);
  EXPECT_EQ(ui().Messages()[0].second, MsgIcon::Critical);
  const QString& message = ui().Messages()[0].first;
  EXPECT_TRUE(message.contains(QStringLiteral("SOUSSECTEUR"))) << message.toStdString();
  const auto stat = std::filesystem::path(db().Path().string() + ".d") / "STATAIDANT";
  EXPECT_TRUE(std::filesystem::is_empty(stat)) << "a failed export left a file";
  EXPECT_EQ(unloads.count(), 0);
  EXPECT_TRUE(control().isEnabled());
  EXPECT_FALSE(ui().IsBusy());
  EXPECT_EQ(Access::BusyDepth(control()), 0);

  // The same form, a second click: the list does not read the broken file.
  Imprimer(form().Opt_Liste);
  EXPECT_TRUE(ui().Messages().empty()) << ui().Messages().front().first.toStdString();
  EXPECT_EQ(unloads.count(), 1);
}

TEST_F(OutputFailure, AMissingCarerWhilePrintingTheListShowsAMessageAndTheNextRequestWorks) {
  // An absence whose carer record does not exist: the list stops on it.
  Write("ABSENCESAIDANT", "0000201" + std::to_string(services::DayNumber({2024, 3, 6})),
        {{1, {"1"}}, {2, {std::to_string(services::DayNumber({2024, 3, 7}))}}, {3, {"2"}}});
  Demarrer();
  QSignalSpy unloads(&control(), &control::Ctr_Morvane::unloadRequested);

  Imprimer(form().Opt_Liste);
  ASSERT_EQ(ui().Messages().size(), 1u);
  EXPECT_EQ(ui().Messages()[0].second, MsgIcon::Critical);
  EXPECT_TRUE(ui().Messages()[0].first.contains(QStringLiteral("CIVILAIDANT")))
      << ui().Messages()[0].first.toStdString();
  EXPECT_EQ(unloads.count(), 0);
  EXPECT_TRUE(control().isEnabled());
  EXPECT_FALSE(ui().IsBusy());
  EXPECT_EQ(Access::BusyDepth(control()), 0);

  // The export of the same absences leaves the missing carer's columns empty.
  Imprimer(form().Option1);
  ASSERT_EQ(ui().Messages().size(), 1u);
  EXPECT_TRUE(ui().Messages()[0].first.startsWith(QStringLiteral("Le fichier AbsAidant-")))
      << ui().Messages()[0].first.toStdString();
  EXPECT_EQ(unloads.count(), 1);
}

}  // namespace
}  // namespace morvane::testing
