// A request through the form: the criteria read into the query, whole weeks
// and the twelve-week limit of the planning, empty results, copies, the
// printer choice, the outputs handed their data, and failures.
#include <QSignalSpy>

#include "builder.h"

namespace morvane::testing {
namespace {

std::string Jour(const QDate& d) { return std::to_string(services::DayNumber(d)); }

class Dispatch : public FormTest {
 protected:
  Dispatch() {
    base.Secteur("001", "NORD");
    base.Write("COMMUNES", "69000", {{1, {"LYON"}}});
    base.Entite("001", "AIDE A DOMICILE", {"P"});
    base.Entite("002", "SERVICES PLUS", {"M"});
    base.Motifs({{"01", "MALADIE"}, {"02", "ACCIDENT"}, {"03", "TEMPS PARTIEL"}});
    base.Write("CIVILAIDANT", "00001", {{2, {"DURAND"}}, {3, {"Léa"}}, {11, {"LYON"}}, {31, {"001"}}, {32, {"S1"}}});
    // Sick leave from 8 to 10 September 2025, one contract listed.
    base.Write("ABSENCESAIDANT", "0000102" + Jour({2025, 9, 8}),
               {{1, {"1"}}, {2, {Jour({2025, 9, 10})}}, {3, {"2"}}, {17, {"00001001"}}, {47, {"5000"}}});
  }
  Controle& Nouveau(Options o = {}) {
    o.aujourdhui = QDate(2025, 9, 15);
    o.imprimantes = {"RECORDER", "SECOND"};
    return Open(o);
  }
  /// A request as a user makes it: sick leave ticked, the period typed, the
  /// output chosen (by its option's name), then "Imprimer" with the messages
  /// of earlier steps forgotten.
  void Demander(const QDate& debut, const QDate& fin, const char* sortie = "Opt_Liste") {
    if (!form->Cac("Cac_ArretTravail")->isChecked()) form->Cliquer("Cac_ArretTravail");
    form->Txt("Txt_Debut")->setText(debut.toString("dd/MM/yyyy"));
    form->Txt("Txt_Fin")->setText(fin.toString("dd/MM/yyyy"));
    form->Cliquer(sortie);
    form->ui().Clear();
    form->Cliquer("Cmd_Imprimer");
  }
};

TEST_F(Dispatch, ThePlanningCoversWholeWeeksAndIsHandedItsFifteenValues) {
  Nouveau({.imprimante = 1});
  Demander({2025, 9, 3}, {2025, 9, 11}, "Opt_Graphique");  // Wednesday 3rd to Thursday 11th
  ASSERT_EQ(form->planning->demandes.size(), 1u) << form->Messages().join('|').toStdString();
  const services::PlanningRequest& d = form->planning->demandes.front();
  EXPECT_EQ(std::tuple(d.debutPeriode, d.finPeriode, d.printerIndex),
            std::tuple(services::DayNumber({2025, 9, 1}), services::DayNumber({2025, 9, 14}), 1));
  EXPECT_EQ(std::tuple(d.database, d.client != nullptr, d.droits != nullptr, d.resultat.DCount()),
            std::tuple(&base.db(), true, true, 1));
  EXPECT_EQ((std::vector<bool>{d.flag5, d.graphique, d.secteur, d.commune, d.arretTravail, d.conges, d.autres, d.aValider}),
            (std::vector<bool>{false, true, true, false, true, false, false, false}));
  EXPECT_EQ(form->unloads, 1);
}

TEST_F(Dispatch, TwelveWeeksAtMost) {
  Nouveau();
  Demander({2025, 9, 1}, {2025, 11, 23}, "Opt_Graphique");  // 84 days
  EXPECT_EQ(form->planning->demandes.size(), 1u);
  Nouveau();
  Demander({2025, 9, 1}, {2025, 11, 30}, "Opt_Graphique");  // a week more
  EXPECT_TRUE(form->planning->demandes.empty());
  EXPECT_EQ(form->Messages(true), QStringList{"L'édition sous forme graphique n'est pas possible sur une amplitude de "
                                              "plus de 12 semaines. [i]"});
  EXPECT_TRUE(form->Txt("Txt_Debut")->hasFocus());
  EXPECT_EQ(form->unloads, 0);
}

TEST_F(Dispatch, TheQueryReadsTheFormsCriteria) {
  Nouveau();
  form->Cliquer("Cac_ArretTravail");
  form->Txt("Txt_Secteur")->setText("001");
  Demander({2025, 9, 1}, {2025, 9, 30});
  EXPECT_EQ(base.Requetes().back(),
            "SSELECT ABSENCESAIDANT AVEC NumMotifAidant <= \"6\" OR = \"29\" OR = \"30\" AND AVEC CodeSectAbs = \"001\""
            " AND AVEC DebAbsAidant <= \"" + Jour({2025, 9, 30}) + "\" AND AVEC 2 >= \"" + Jour({2025, 9, 1}) +
                "\" PAR SecteurAbsAidant PAR NomAidant PAR PrenomAidant PAR DebAbsAidant");
  Nouveau();
  form->Cliquer({"Cac_ArretTravail", "Opt_Com"});
  form->Txt("Txt_Secteur")->setText("69000");  // looked up: LYON
  form->Cliquer({"Cac_PasDateRep", "Opt_FinPeriodeRef", "Opt_FinAbs"});
  form->Cbo("Cbo_Motif")->setCurrentIndex(form->Cbo("Cbo_Motif")->findData(3));
  Demander({2025, 9, 1}, {2025, 9, 30}, "Option1");
  EXPECT_EQ(base.Requetes().back(),
            "SSELECT ABSENCESAIDANT AVEC NumMotifAidant = \"3\" AND AVEC CommuneAbsAidant = \"LYON\" AND AVEC 2 >= \"" +
                Jour({2025, 9, 1}) + "\" AND AVEC 2 <= \"" + Jour({2025, 9, 30}) +
                "\" AND AVEC 10 = \"\" PAR CommuneAbsAidant PAR 2 PAR NomAidant PAR PrenomAidant PAR DebAbsAidant");
}

TEST_F(Dispatch, RefusalsLeaveTheFormOpenForAnotherTry) {
  Nouveau();
  for (const char* sortie : {"Opt_Liste", "Opt_Graphique"}) {
    Demander({2025, 10, 1}, {2025, 10, 2}, sortie);
    EXPECT_EQ(form->Messages(true), QStringList{"Aucune absence correspondant aux critères sélectionnés. [!]"});
  }
  form->Cbo("Cbo_Motif")->setEditText("GRIPPE");  // names no entry
  Demander({2025, 9, 1}, {2025, 9, 30});
  EXPECT_EQ(form->Messages(), QStringList{"Le motif saisi ne fait pas partie de la liste des motifs."});
  EXPECT_TRUE(form->Cbo("Cbo_Motif")->hasFocus());
  // A typed entity narrows the request when several are offered: its contract
  // belongs to entity 001.
  base.Write("CONTRAT", "00001001", {{1, {"02"}}, {2, {"001"}}, {7, {"1"}}});
  form->Cbo("Cbo_Motif")->setEditText("");
  form->Txt("Txt_Entite")->setText("002");
  Demander({2025, 9, 1}, {2025, 9, 30});
  EXPECT_EQ(form->Messages(), QStringList{"Aucune absence correspondant aux critères sélectionnés."});
  EXPECT_EQ(std::tuple(form->unloads, form->Recorder().JobCount(), form->planning->demandes.size(), form->Libre()),
            std::tuple(0, 0, 0u, true));
  // The typed label of an entry counts as that entry; the request now goes.
  form->Txt("Txt_Entite")->setText("");
  form->Cbo("Cbo_Motif")->setEditText("ACCIDENT");
  Demander({2025, 9, 1}, {2025, 9, 30});
  EXPECT_TRUE(form->Messages().isEmpty());
  EXPECT_EQ(form->unloads, 1);
}

TEST_F(Dispatch, CopiesAndThePrinterChoice) {
  Nouveau({.copies = 2});
  Demander({2025, 9, 1}, {2025, 9, 30});
  const services::RecordingPrinter& p = form->Recorder(0);
  EXPECT_EQ(std::tuple(p.JobCount(), p.EndDocCount(), p.PagesOfJob(1)), std::tuple(1, 1, 2));
  EXPECT_EQ(p.Dump(1, 1), p.Dump(2, 1));  // the second copy on a new page of the same job
  Nouveau({.imprimante = -1});  // the choice given up: nothing printed, the form unloaded
  Demander({2025, 9, 1}, {2025, 9, 30});
  EXPECT_EQ(form->Recorder(0).JobCount() + form->Recorder(1).JobCount(), 0);
  EXPECT_EQ(form->unloads, 1);
  Nouveau();  // letters without a sub-option: nothing, unloaded
  form->Cliquer({"Cac_ArretTravail", "Opt_FinPeriodeRef"});
  Demander({2025, 10, 1}, {2025, 10, 2}, "Opt_LettreInfo");
  EXPECT_EQ(std::tuple(form->Messages().size(), form->unloads, form->Recorder().JobCount()), std::tuple(0, 1, 0));
}

TEST_F(Dispatch, TheExportAndTheMergeThroughTheForm) {
  Nouveau();
  QSignalSpy written(&form->control(), &control::Ctr_Morvane::fileWritten);
  Demander({2025, 9, 1}, {2025, 9, 30}, "Option1");
  EXPECT_EQ(form->Messages(true), QStringList{"Le fichier AbsAidant-202509151.csv a été généré dans le répertoire STATAIDANT. [!]"});
  ASSERT_EQ(written.count(), 1);
  EXPECT_EQ(written[0][0].toString().toStdString(), base.db().Path().string() + ".d/STATAIDANT/AbsAidant-202509151.csv");
  EXPECT_EQ(form->unloads, 1);

  base.Write("CONTRAT", "00001001", {{1, {"01"}}, {2, {"001"}}});
  Nouveau();
  form->Cliquer({"Cac_ArretTravail", "Opt_FinPeriodeRef", "Opt_LettreInfo", "Opt_LettrePubli"});
  Demander({2025, 9, 1}, {2025, 9, 30}, "Opt_LettrePubli");
  EXPECT_EQ(form->editeur->appels, (std::vector<std::string>{"Base", "Client", "Droits", "CleModele=LETTREINFOCP00000000",
                                                             "Parametre=", "ListeCles=00001001", "Retour", "Executer"}));
  EXPECT_EQ(form->unloads, 1);
  // "Lettre d'information" clicked again with a sub-option chosen unselects
  // every output: the request then makes nothing and unloads the form.
  form->editeur->appels.clear();
  Demander({2025, 9, 1}, {2025, 9, 30}, "Opt_LettreInfo");
  EXPECT_EQ(std::tuple(form->editeur->appels.size(), form->Recorder().JobCount(), form->unloads), std::tuple(0, 0, 2));
  EXPECT_TRUE(form->Libre());
}

// A failure inside an output: a critical message naming what failed, the
// pointer and the surface back, and the next request works. (Which damage
// stops which output, writing nothing: Damages/DamagedRun.)
TEST_F(Dispatch, AFailingOutputLeavesTheFormUsable) {
  Nouveau();
  form->planning->echoue = true;
  Demander({2025, 9, 1}, {2025, 9, 30}, "Opt_Graphique");
  EXPECT_EQ(form->Messages(true), QStringList{"Cmd_Imprimer_Click : imprimante hors ligne [x]"});
  EXPECT_TRUE(form->Libre());
  EXPECT_EQ(form->unloads, 0);
  form->planning->echoue = false;
  Demander({2025, 9, 1}, {2025, 9, 30}, "Opt_Graphique");
  EXPECT_EQ(form->unloads, 1);
}

}  // namespace
}  // namespace morvane::testing
