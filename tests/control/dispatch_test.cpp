// The request behind "Imprimer": period and whole weeks, the twelve-week
// limit, empty results, copies, the printer choice, the planning hand-over,
// and the form left open or unloaded.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "control/dispatch.h"
#include "control_fixture.h"
#include "services/outils_date.h"
#include "services/recording_printer.h"
#include "support/database_setup.h"

namespace morvane::testing {
namespace {

using services::MsgIcon;

// Records what the planning control is handed; can be told to fail.
class PlanningEnregistre : public services::PlanningControl {
 public:
  void Imprimer(const services::PlanningRequest& request) override {
    if (echoue) throw std::runtime_error("imprimante hors ligne");
    demandes.push_back(request);
  }
  std::vector<services::PlanningRequest> demandes;
  bool echoue = false;
};

QString Affichage(const QDate& date) { return date.toString(QStringLiteral("dd/MM/yyyy")); }
std::string Jour(const QDate& date) { return std::to_string(services::DayNumber(date)); }

class Dispatch : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    ImportDictionaries(db(), {"ABSENCESAIDANT", "CONTRAT"});
    Write("CIVILAIDANT", "00001", {{2, {"DURAND"}}, {3, {"Léa"}}, {11, {"LYON"}}, {31, {"001"}}});
    // Sick leave from 8 to 10 September 2025, one contract listed.
    Write("ABSENCESAIDANT", "0000102" + Jour({2025, 9, 8}),
          {{1, {"1"}}, {2, {Jour({2025, 9, 10})}}, {3, {"2"}}, {17, {"00001001"}}, {47, {"5000"}}});
  }
  /// A new control (a second request in the same test starts on a new form)
  /// with recording printers ("RECORDER", "SECOND"), a recording planning and
  /// the given printer answer and copies; INIT has run.
  void Demarrer(int printerIndex = 0, int copies = 1) {
    Remise remise;
    remise.database = &db();
    remise.droits = services::MakeDroits("test", 2);
    remise.today = QDate(2025, 9, 15);
    remise.closesHostWindow = false;
    remise.printer = printerIndex;
    remise.copies = copies;
    auto printers = std::make_unique<services::RecordingPrinterList>(std::vector<QString>{"RECORDER", "SECOND"});
    printers_ = printers.get();
    remise.environment->printers = std::move(printers);
    auto planning = std::make_unique<PlanningEnregistre>();
    planning_ = planning.get();
    remise.environment->planning = std::move(planning);
    CreerControle(std::move(remise));
    QObject::connect(control_.get(), &control::Ctr_Morvane::unloadRequested, [this] { ++unloads_; });
    control_->INIT();
  }

  control::FormControls& f() { return Access::Form(*control_); }
  control::InstanceState& etat() { return Access::State(*control_); }

  /// Sick leave ticked, the period typed, then "Imprimer" pressed.
  void Demander(const QDate& debut, const QDate& fin, QRadioButton* sortie = nullptr) {
    if (f().Cac_ArretTravail->checkState() != Qt::Checked) f().Cac_ArretTravail->click();
    f().Txt_Debut->setText(Affichage(debut));
    f().Txt_Fin->setText(Affichage(fin));
    if (sortie != nullptr) sortie->click();
    ui_->Clear();
    f().Cmd_Imprimer->click();
  }
  std::vector<QString> Messages() const { return ui_->MessageTexts(); }

  services::RecordingPrinterList* printers_ = nullptr;
  PlanningEnregistre* planning_ = nullptr;
  int unloads_ = 0;
};

TEST(DispatchSemaine, DayNamesInEnglishAndFrench) {
  using control::DecalagePourJour;
  const char* anglais[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};
  const char* francais[] = {"LUN", "MAR", "MER", "JEU", "VEN", "SAM", "DIM"};
  for (int d = 0; d < 7; ++d) {
    EXPECT_EQ(DecalagePourJour(anglais[d]).recul, d);
    EXPECT_EQ(DecalagePourJour(anglais[d]).avance, 6 - d);
    EXPECT_EQ(DecalagePourJour(francais[d]).recul, d);
    EXPECT_EQ(DecalagePourJour(francais[d]).avance, 6 - d);
  }
  EXPECT_EQ(DecalagePourJour("MO.").recul, 0);
  EXPECT_EQ(DecalagePourJour("MO.").avance, 0);
  EXPECT_EQ(control::NomJour(QDate(2025, 9, 3), QLocale(QLocale::English)), "WED");
  EXPECT_EQ(control::NomJour(QDate(2025, 9, 3), QLocale(QLocale::French)), "MER");
  EXPECT_EQ(control::NomJour(QDate(2025, 9, 7), QLocale(QLocale::French)), "DIM");
  EXPECT_EQ(control::IndexImprimante("-1"), std::nullopt);
  EXPECT_EQ(control::IndexImprimante("2"), 2);
}

TEST_F(Dispatch, PlanningCoversWholeWeeksAndIsHandedTheFifteenValues) {
  Demarrer(1);
  // September 2025 begins on a Monday: Wednesday 3rd to Thursday 11th.
  Demander({2025, 9, 3}, {2025, 9, 11}, f().Opt_Graphique);
  ASSERT_EQ(planning_->demandes.size(), 1u) << Messages().front().toStdString();
  const services::PlanningRequest& d = planning_->demandes.front();
  EXPECT_EQ(d.debutPeriode, services::DayNumber({2025, 9, 1}));
  EXPECT_EQ(d.finPeriode, services::DayNumber({2025, 9, 14}));
  EXPECT_EQ(d.database, &db());
  EXPECT_NE(d.client, nullptr);
  EXPECT_NE(d.droits, nullptr);
  EXPECT_EQ(d.resultat.DCount(), 1);
  EXPECT_FALSE(d.flag5);
  EXPECT_TRUE(d.graphique);
  EXPECT_TRUE(d.secteur);
  EXPECT_FALSE(d.commune);
  EXPECT_TRUE(d.arretTravail);
  EXPECT_FALSE(d.conges || d.autres || d.aValider);
  EXPECT_EQ(d.printerIndex, 1);
  EXPECT_EQ(unloads_, 1);
  EXPECT_TRUE(control_->isEnabled());
  EXPECT_FALSE(ui_->IsBusy());
}

TEST_F(Dispatch, TwelveWeeksAtMost) {
  Demarrer();
  Demander({2025, 9, 1}, {2025, 11, 23}, f().Opt_Graphique);  // 84 days
  EXPECT_EQ(planning_->demandes.size(), 1u);

  Demarrer();
  Demander({2025, 9, 1}, {2025, 11, 30}, f().Opt_Graphique);  // one more week
  EXPECT_TRUE(planning_->demandes.empty());
  ASSERT_EQ(ui_->Messages().size(), 1u);
  EXPECT_EQ(ui_->Messages()[0].first,
            "L'édition sous forme graphique n'est pas possible sur une amplitude de plus de 12 semaines.");
  EXPECT_EQ(ui_->Messages()[0].second, MsgIcon::Information);
  EXPECT_TRUE(f().Txt_Debut->hasFocus());
  EXPECT_EQ(unloads_, 1);  // only the first request unloaded
}

TEST_F(Dispatch, EmptyListOrPlanningKeepsTheFormOpen) {
  Demarrer();
  for (QRadioButton* sortie : {f().Opt_Liste, f().Opt_Graphique}) {
    Demander({2025, 10, 1}, {2025, 10, 2}, sortie);
    ASSERT_EQ(Messages(), std::vector<QString>{"Aucune absence correspondant aux critères sélectionnés."});
    EXPECT_EQ(ui_->Messages()[0].second, MsgIcon::Exclamation);
  }
  EXPECT_EQ(unloads_, 0);
  EXPECT_EQ(printers_->Recorder(0).JobCount(), 0);
  EXPECT_TRUE(planning_->demandes.empty());
  EXPECT_TRUE(control_->isEnabled());
}

TEST_F(Dispatch, LettersWithoutASubOptionPrintNothingAndCloseOnAnEmptySelection) {
  Demarrer();
  f().Cac_ArretTravail->click();
  f().Opt_FinPeriodeRef->click();  // sick leave alone: the letters are offered
  Demander({2025, 10, 1}, {2025, 10, 2}, f().Opt_LettreInfo);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(unloads_, 1);
  EXPECT_EQ(printers_->Recorder(0).JobCount(), 0);
}

TEST_F(Dispatch, TwoCopiesAreOneJobWithAPageBreak) {
  Demarrer(0, 2);
  Demander({2025, 9, 1}, {2025, 9, 30});
  ASSERT_EQ(unloads_, 1) << (Messages().empty() ? "" : Messages().front().toStdString());
  const services::RecordingPrinter& p = printers_->Recorder(0);
  EXPECT_EQ(p.JobCount(), 1);
  EXPECT_EQ(p.EndDocCount(), 1);
  const int pages = p.PagesOfJob(1);
  ASSERT_EQ(pages % 2, 0);
  // The second copy starts on a new page and prints the list again.
  EXPECT_NE(p.FindText("DURAND", 1, 1), nullptr);
  EXPECT_NE(p.FindText("DURAND", pages / 2 + 1, 1), nullptr);
  int newPages = 0;
  for (const services::PrintOp& op : p.Ops()) newPages += op.kind == services::PrintOp::Kind::NewPage;
  EXPECT_GE(newPages, 1);
}

TEST_F(Dispatch, GivingUpThePrinterChoicePrintsNothingAndCloses) {
  Demarrer(-1);
  Demander({2025, 9, 1}, {2025, 9, 30});
  EXPECT_EQ(unloads_, 1);
  EXPECT_EQ(printers_->Recorder(0).JobCount(), 0);
  EXPECT_EQ(printers_->Recorder(1).JobCount(), 0);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Dispatch, RefusedCriteriaLeaveErreurFalseAndTheFormOpen) {
  Demarrer();
  ui_->Clear();
  f().Cmd_Imprimer->click();  // no absence type ticked
  EXPECT_EQ(Messages(), std::vector<QString>{"Au moins un type d'absence doit être sélectionné."});
  EXPECT_FALSE(etat().Erreur);
  EXPECT_EQ(unloads_, 0);
}

TEST_F(Dispatch, AReasonTypedThatNamesNoEntryIsRefused) {
  Demarrer();
  f().Cac_ArretTravail->click();
  f().Cbo_Motif->setEditText(QStringLiteral("GRIPPE"));
  Demander({2025, 9, 1}, {2025, 9, 30});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(ui_->Messages()[0].second, MsgIcon::Exclamation);
  EXPECT_TRUE(f().Cbo_Motif->hasFocus());
  EXPECT_EQ(unloads_, 0);

  f().Cbo_Motif->setEditText(QStringLiteral("ACCIDENT"));  // the label of an entry, typed
  Demander({2025, 9, 1}, {2025, 9, 30});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(unloads_, 1);
}

TEST_F(Dispatch, AFailingOutputGivesThePointerAndTheSurfaceBack) {
  Demarrer();
  planning_->echoue = true;
  Demander({2025, 9, 1}, {2025, 9, 30}, f().Opt_Graphique);
  ASSERT_EQ(ui_->Messages().size(), 1u);
  EXPECT_EQ(ui_->Messages()[0].second, MsgIcon::Critical);
  EXPECT_EQ(Access::BusyDepth(*control_), 0);
  EXPECT_TRUE(control_->isEnabled());
  EXPECT_FALSE(ui_->IsBusy());
  EXPECT_EQ(unloads_, 0);
}

TEST_F(Dispatch, CompletionFillsContractAndPercentage) {
  Write("ABSENCESAIDANT", "0000101" + Jour({2025, 9, 20}), {{2, {Jour({2025, 9, 21})}}, {17, {"A", "B"}}});
  Demarrer(-1);
  Demander({2025, 9, 1}, {2025, 9, 30});
  const mvdb::DynArray& r = etat().ResultatSelection;
  ASSERT_EQ(r.DCount(), 2);
  EXPECT_EQ(r.Item(1, 6), "00001001");
  EXPECT_EQ(r.Item(1, 7), "5000");
  EXPECT_EQ(r.Item(2, 6), "");  // two contracts: none written
  EXPECT_EQ(r.Item(2, 8), r.Item(2, 1));
}

TEST_F(Dispatch, TypedEntityFiltersByContractWhenSeveralEntitiesAreOffered) {
  Write("CONTRAT", "00001001", {{1, {"02"}}, {2, {"001"}}, {7, {"1"}}});
  Demarrer(-1);
  f().Txt_Entite->setText(QStringLiteral("002"));  // the contract belongs to entity 001
  Demander({2025, 9, 1}, {2025, 9, 30});
  EXPECT_TRUE(etat().ResultatSelection.Empty());
  EXPECT_EQ(Messages(), std::vector<QString>{"Aucune absence correspondant aux critères sélectionnés."});
}

TEST_F(Dispatch, TheQueryReadsTheFormsCriteria) {
  Demarrer();
  f().Cac_ArretTravail->click();
  f().Txt_Secteur->setText(QStringLiteral("001"));
  f().Txt_Debut->setText(QStringLiteral("01/09/2025"));
  f().Txt_Fin->setText(QStringLiteral("30/09/2025"));
  etat().DebutPeriode = 20010;
  etat().FinPeriode = 20040;
  EXPECT_EQ(Access::Texte_Requete_Absences(*control_),
            "SSELECT ABSENCESAIDANT AVEC NumMotifAidant <= \"6\" OR = \"29\" OR = \"30\""
            " AND AVEC CodeSectAbs = \"001\" AND AVEC DebAbsAidant <= \"20040\" AND AVEC 2 >= \"20010\""
            " PAR SecteurAbsAidant PAR NomAidant PAR PrenomAidant PAR DebAbsAidant");

  f().Opt_Com->click();
  f().Txt_Secteur->setText(QStringLiteral("69000"));  // looked up: LYON
  f().Cac_PasDateRep->click();
  f().Opt_FinPeriodeRef->click();
  f().Opt_FinAbs->click();
  f().Opt_Graphique->click();
  f().Cbo_Motif->setCurrentIndex(f().Cbo_Motif->findData(3));
  EXPECT_EQ(Access::Texte_Requete_Absences(*control_),
            "SSELECT ABSENCESAIDANT AVEC NumMotifAidant = \"3\" AND AVEC CommuneAbsAidant = \"LYON\""
            " AND AVEC 2 >= \"20010\" AND AVEC 2 <= \"20040\" AND AVEC 10 = \"\""
            " PAR CommuneAbsAidant PAR 2 PAR DebAbsAidant");
}

}  // namespace
}  // namespace morvane::testing
