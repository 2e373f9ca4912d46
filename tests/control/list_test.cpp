// The printed absence list on the recording print surface: page capacity and
// breaks, frames, headers, and the cells of the detail block.
#include <QSignalBlocker>

#include "ctr_morvane_test_access.h"
#include "control/list_rows.h"
#include "list_fixture.h"

namespace morvane::testing {
namespace {

using control::CtrMorvaneTestAccess;

constexpr double kUnCm = 567;
constexpr int kPremierJour2024 = 20455;  // 01/01/2024

// Foot of a page's table frame after `lignes` counted lines.
double PiedDeCadre(double lignes) { return static_cast<float>(kUnCm * 0.39 * lignes + 3402); }

TEST_F(ListTest, NormalPrinterHoldsTenAbsencesPerLandscapePage) {
  Aidant("00001", "MARTIN", "Anne", "001");
  std::vector<std::string> cles;
  for (int i = 0; i < 11; ++i) cles.push_back(Cle("00001", "15", kPremierJour2024 + 10 * i));
  Imprimer(kLaser, Lignes(cles));

  auto& rec = Recorder(kLaser);
  EXPECT_EQ(rec.PagesOfJob(1), 2);
  EXPECT_EQ(rec.PageOrientations(1), (std::vector<int>{services::kLandscape, services::kLandscape}));
  EXPECT_EQ(LignesDeDetail(1).size(), 10u);
  EXPECT_EQ(LignesDeDetail(2).size(), 1u);
  ASSERT_NE(rec.FindText("Page : 2", 2), nullptr);
  EXPECT_TRUE(rec.FindText("Page : 2", 2)->text.endsWith(QStringLiteral("Page : 2")));
  EXPECT_EQ(rec.FindText("Page : 2", 1), nullptr);

  // Ten blocks bring NoLigne to 31; closing the page counts one more line,
  // so the frame's foot is at 6 cm + 32 x 0.39 cm = 18.48 cm.
  EXPECT_DOUBLE_EQ(PiedDeCadre(32), static_cast<float>(18.48 * kUnCm));
  EXPECT_TRUE(TraitHorizontal(1, PiedDeCadre(32)));
}

TEST_F(ListTest, MatrixPrinterHoldsSeventeenAbsencesAndKeepsItsOrientation) {
  Aidant("00001", "MARTIN", "Anne", "001");
  std::vector<std::string> cles;
  for (int i = 0; i < 18; ++i) cles.push_back(Cle("00001", "15", kPremierJour2024 + 10 * i));
  Imprimer(kMatricielle, Lignes(cles));

  auto& rec = Recorder(kMatricielle);
  EXPECT_EQ(rec.PagesOfJob(1), 2);
  EXPECT_EQ(rec.PageOrientations(1)[0], services::kPortrait);
  EXPECT_EQ(LignesDeDetail(1, kMatricielle).size(), 17u);
  EXPECT_EQ(CtrMorvaneTestAccess::State(control()).NbLignesMax, 50);
}

TEST_F(ListTest, RefusedCarerPrintsAndCountsNothing) {
  Aidant("00001", "MARTIN", "Anne", "001");
  Aidant("00002", "CACHE", "Paul", "009");  // a sector the user may not see
  std::vector<std::string> cles;
  for (int i = 0; i < 10; ++i) cles.push_back(Cle("00001", "15", kPremierJour2024 + 10 * i));
  cles.insert(cles.begin() + 4, Cle("00002", "15", kPremierJour2024));
  Imprimer(kLaser, Lignes(cles));

  auto& rec = Recorder(kLaser);
  EXPECT_EQ(rec.PagesOfJob(1), 1);
  EXPECT_EQ(rec.FindText("CACHE"), nullptr);
  EXPECT_EQ(LignesDeDetail(1).size(), 10u);
}

TEST_F(ListTest, FirstCarerRefusedWaitsForTheFirstVisibleCarersSector) {
  Aidant("00002", "CACHE", "Paul", "009");
  Aidant("00001", "MARTIN", "Anne", "001");
  Imprimer(kLaser, Lignes({Cle("00002", "15", kPremierJour2024), Cle("00001", "15", kPremierJour2024)}));

  auto& rec = Recorder(kLaser);
  EXPECT_EQ(rec.PagesOfJob(1), 1);
  EXPECT_NE(rec.FindText("Secteur Un", 1), nullptr);
  EXPECT_EQ(rec.FindText("Secteur Neuf"), nullptr);
  EXPECT_EQ(LignesDeDetail(1).size(), 1u);
}

TEST_F(ListTest, NewSectorStartsANewPageClosingTheFrameBelowTheLastBlock) {
  Aidant("00001", "MARTIN", "Anne", "001");
  Aidant("00002", "DURAND", "Luc", "002");
  Imprimer(kLaser, Lignes({Cle("00001", "15", kPremierJour2024), Cle("00001", "15", kPremierJour2024 + 20),
                           Cle("00002", "15", kPremierJour2024)}));

  auto& rec = Recorder(kLaser);
  ASSERT_EQ(rec.PagesOfJob(1), 2);
  EXPECT_NE(rec.FindText("Secteur Un", 1), nullptr);
  EXPECT_NE(rec.FindText("Secteur Deux", 2), nullptr);
  // Two blocks: NoLigne 7, closing adds one: the frame ends at 8 lines.
  EXPECT_TRUE(TraitHorizontal(1, PiedDeCadre(8)));
  EXPECT_TRUE(TraitHorizontal(2, PiedDeCadre(5)));
}

TEST_F(ListTest, PageHeaderLabelsAndTableColumns) {
  Aidant("00001", "MARTIN", "Anne", "001");
  Imprimer(kLaser, Lignes({Cle("00001", "15", kPremierJour2024)}));
  auto& rec = Recorder(kLaser);
  EXPECT_EQ(rec.FindText("Entité juridique"), nullptr);
  EXPECT_EQ(rec.FindText("Type d'activité"), nullptr);
  const auto* titre = rec.FindText("LISTE DES AIDANTS ABSENTS ENTRE LE 01/01/2024 ET LE 31/12/2024");
  ASSERT_NE(titre, nullptr);
  EXPECT_TRUE(titre->bold);
  EXPECT_EQ(titre->fontSize, 14);
  ASSERT_NE(rec.FindText("Date : 15/03/2024"), nullptr);

  const auto* entete = rec.FindText(" CODE  NOM PRENOM");
  ASSERT_NE(entete, nullptr);
  const QString colonnes = entete->text;
  EXPECT_EQ(colonnes.indexOf(QStringLiteral(" ADRESSE ")), 36);
  EXPECT_EQ(colonnes.indexOf(QStringLiteral(" DEBUT ")), 74);
  EXPECT_EQ(colonnes.indexOf(QStringLiteral(" FIN ")), 85);
  EXPECT_EQ(colonnes.indexOf(QStringLiteral(" MOTIF ABSENCE ")), 96);
  EXPECT_DOUBLE_EQ(entete->x, 0);
  EXPECT_GT(entete->y, 5 * kUnCm);  // one blank line below 5 cm

  // Secteur label: underlined, and its colon in column 17 counted from 0.5 cm.
  const auto* secteur = rec.FindText("Secteur");
  ASSERT_NE(secteur, nullptr);
  EXPECT_TRUE(secteur->underline);
  EXPECT_DOUBLE_EQ(secteur->x, static_cast<float>(0.5 * kUnCm));
  EXPECT_EQ(ColonneDesDeuxPoints("Secteur"), 17);
}

TEST_F(ListTest, EntityAndActivityLinesPutTheirColonInColumn17) {
  Aidant("00001", "MARTIN", "Anne", "001");
  auto& form = CtrMorvaneTestAccess::Form(control());
  {
    const QSignalBlocker a(form.Txt_Entite), b(form.Cbo_Entite), c(form.Cac_Prest), d(form.Cac_Mandat);
    form.Txt_Entite->setText(QStringLiteral("001"));
    form.Cbo_Entite->addItem(QStringLiteral("AIDE A DOMICILE"));
    form.Cbo_Entite->setCurrentIndex(form.Cbo_Entite->count() - 1);
    form.Cac_Prest->setChecked(true);
    form.Cac_Mandat->setChecked(true);
  }
  Imprimer(kLaser, Lignes({Cle("00001", "15", kPremierJour2024)}));
  auto& rec = Recorder(kLaser);
  ASSERT_NE(rec.FindText("AIDE A DOMICILE"), nullptr);
  EXPECT_NE(rec.FindText("  : PRESTATAIRE ET MANDATAIRE"), nullptr);
  EXPECT_EQ(ColonneDesDeuxPoints("Entité juridique"), 17);
  EXPECT_EQ(ColonneDesDeuxPoints("Type d'activité"), 17);
}

TEST_F(ListTest, NameAndAddressCells) {
  Aidant("00001", std::string(22, 'N'), "Annie", "001", {"12", "B", "RUE", "DES LILAS"}, "", "75001", "PARIS");
  Aidant("00002", std::string(23, 'P'), "Annie", "001", {"", "", "", ""}, "RESIDENCE DES PINS");
  Aidant("00003", "VIDE", "Eve", "001", {"", "", "", ""});
  Imprimer(kLaser, Lignes({Cle("00001", "15", kPremierJour2024), Cle("00002", "15", kPremierJour2024),
                           Cle("00003", "15", kPremierJour2024)}));

  const auto lignes = LignesDeDetail(1);
  ASSERT_EQ(lignes.size(), 3u);
  // 28 characters print whole with 2 spaces; 29 lose the last one.
  EXPECT_EQ(lignes[0].mid(6, 30), QString::fromStdString(std::string(22, 'N')) + " Annie  ");
  EXPECT_EQ(lignes[1].mid(6, 30), QString::fromStdString(std::string(23, 'P')) + " Anni  ");
  EXPECT_EQ(lignes[0].mid(36, 37), QStringLiteral(" 12 B RUEDES LILAS").leftJustified(37));
  EXPECT_EQ(lignes[1].mid(36, 37), QStringLiteral("RESIDENCE DES PINS").leftJustified(37));
  EXPECT_EQ(lignes[2].mid(36, 37), QString(37, QLatin1Char(' ')));
  EXPECT_EQ(lignes[0].mid(73, 11), QStringLiteral("01/01/2024 "));
  ASSERT_NE(Recorder(kLaser).FindText("75001 PARIS"), nullptr);
}

TEST_F(ListTest, ReasonLabels) {
  Aidant("00001", "MARTIN", "Anne", "001");
  Absence(Cle("00001", "01", kPremierJour2024), {{53, {"1"}}});
  Absence(Cle("00001", "01", kPremierJour2024 + 5), {{53, {"X"}}});
  const int avant2012 = 16071, apres2011 = 16072;
  Imprimer(kLaser, Lignes({Cle("00001", "11", avant2012), Cle("00001", "11", apres2011),
                           Cle("00001", "01", kPremierJour2024), Cle("00001", "01", kPremierJour2024 + 5),
                           Cle("00001", "44", kPremierJour2024)},
                          /*dernierJour=*/""));
  const auto lignes = LignesDeDetail(1);
  ASSERT_EQ(lignes.size(), 5u);
  // No last day: 11 spaces in the end-date column, the label still at 95.
  EXPECT_EQ(lignes[0].mid(84, 11), QString(11, QLatin1Char(' ')));
  EXPECT_EQ(lignes[0].mid(95), QStringLiteral("Evènement famille : déménagemen "));
  EXPECT_EQ(lignes[1].mid(95), QStringLiteral("Déménagement "));
  EXPECT_EQ(lignes[2].mid(95), QStringLiteral("Maladie-Covid 19-garde enfant "));
  EXPECT_EQ(lignes[3].mid(95), QStringLiteral("Maladie-Covid 19-sans carence "));
  EXPECT_EQ(lignes[4].size(), 95);  // a reason missing from the table has no label
}

TEST_F(ListTest, CovidLabelIsCutTo31Characters) {
  Motifs({{"01", "Maladie ordinaire longue"}});
  Aidant("00001", "MARTIN", "Anne", "001");
  Absence(Cle("00001", "01", kPremierJour2024), {{53, {"1"}}});
  Imprimer(kLaser, Lignes({Cle("00001", "01", kPremierJour2024)}));
  const auto lignes = LignesDeDetail(1);
  EXPECT_EQ(lignes[0].mid(95), QStringLiteral("Maladie ordinaire longue-Covid ").left(31) + " ");
}

TEST_F(ListTest, HalfDayMarkersForLeaveOnly) {
  Aidant("00001", "MARTIN", "Anne", "001");
  auto lignes = Lignes({Cle("00001", "15", kPremierJour2024), Cle("00001", "31", kPremierJour2024 + 9)});
  for (int row : {1, 2}) {
    lignes.SetItem(row, 2, "2");
    lignes.SetItem(row, 4, "1");
  }
  Imprimer(kLaser, lignes);
  const auto secondes = SecondesLignes(1);
  ASSERT_EQ(secondes.size(), 2u);
  EXPECT_EQ(secondes[0].mid(73), QStringLiteral(" après-midi       midi"));
  EXPECT_EQ(secondes[1].mid(73), QStringLiteral(" "));
}

TEST_F(ListTest, AValiderSecondLine) {
  Aidant("00001", "MARTIN", "Anne", "001");
  Absence(Cle("00001", "22", kPremierJour2024), {{29, {"a\r\nb"}}});
  Absence(Cle("00001", "22", kPremierJour2024 + 1), {{29, {"premier\nsecond"}}});
  Absence(Cle("00001", "03", kPremierJour2024), {{28, {"1"}}});
  Absence(Cle("00001", "03", kPremierJour2024 + 1), {{28, {"1"}}, {30, {"20460"}}, {31, {"20470"}}});
  auto& form = CtrMorvaneTestAccess::Form(control());
  {
    const QSignalBlocker b(form.Cac_AValider);
    form.Cac_AValider->setChecked(true);
  }
  Imprimer(kLaser, Lignes({Cle("00001", "22", kPremierJour2024), Cle("00001", "22", kPremierJour2024 + 1),
                           Cle("00001", "03", kPremierJour2024), Cle("00001", "03", kPremierJour2024 + 1)}));
  const auto secondes = SecondesLignes(1);
  ASSERT_EQ(secondes.size(), 4u);
  EXPECT_EQ(secondes[0].mid(73), QString(23, QLatin1Char(' ')) + "a | b");
  EXPECT_EQ(secondes[1].mid(73), QString(23, QLatin1Char(' ')) + "premiersecond");
  EXPECT_EQ(secondes[2].mid(73), QString(23, QLatin1Char(' ')) + "A confirmer");
  EXPECT_EQ(secondes[3].mid(73), QString(23, QLatin1Char(' ')) + "Confirmer 06/01/24 au 16/01/24");
}

TEST(ObservationSurUneLigne, RewritesLineBreaksWithinTheFirst31Characters) {
  EXPECT_EQ(control::ObservationSurUneLigne("a\r\nb"), "a | b");
  EXPECT_EQ(control::ObservationSurUneLigne("a\nb\rc"), "abc");
  EXPECT_EQ(control::ObservationSurUneLigne(QString(40, QLatin1Char('x'))), QString(31, QLatin1Char('x')));
  // A pair split by the cut loses its LF: the CR alone is dropped.
  EXPECT_EQ(control::ObservationSurUneLigne(QString(30, QLatin1Char('x')) + "\r\nyz"), QString(30, QLatin1Char('x')));
}

}  // namespace
}  // namespace morvane::testing
