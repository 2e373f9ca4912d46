// The statistics export: file names of the day, the header, whole lines of
// both formats, the reason label, the figures of the long format, failures.
#include <barrier>
#include <set>
#include <thread>

#include "control/export_fichier.h"
#include "export_fixture.h"
#include "mvdb/routines.h"

namespace morvane::testing {
namespace {

const char* const kCourt =
    "Code;Nom;Prénom;Ligne adresse 1;Ligne adresse 2;Code postal;Ville;Téléphone 1;Téléphone 2;"
    "Date début absence;Début Matin ou Après-midi -> M ou A;Date fin absence;Fin Midi ou Soir -> M ou S;"
    "Code motif;Libellé motif;Observation;Secteur;Sous-secteur;Quartier;Sexe;Date naissance;% activité";

// 20518 is 04/03/2024, 20520 06/03/2024, 20511 26/02/2024, 20550 05/04/2024.
const std::string kDupont = "00012;DUPONT;MARIE;12 RUE DES LILAS ;BAT B;42000;SAINT-ÉTIENNE;;0611223344;";

TEST_F(ExportTest, EmptySelectionGivesTheHeaderAloneWithByteOrderMark) {
  const std::string nom = Exporter({});
  EXPECT_EQ(nom, "AbsAidant-202403151.csv");
  EXPECT_EQ(Octets(nom), std::string("\xEF\xBB\xBF") + kCourt + "\r\n");  // CR LF ends every line
  ASSERT_EQ(ui().Messages().size(), 1u);
  EXPECT_EQ(ui().Messages()[0].first,
            QStringLiteral("Le fichier AbsAidant-202403151.csv a été généré dans le répertoire STATAIDANT."));
  EXPECT_EQ(ui().Messages()[0].second, services::MsgIcon::Exclamation);
  EXPECT_FALSE(ui().IsBusy());
  EXPECT_EQ(Champs(kCourt), 22);
  EXPECT_EQ(Champs(control::kEnteteLong), 30);
}

TEST_F(ExportTest, SmallestFreeNumberOfTheDay) {
  Existant("AbsAidant-202403151.csv");
  Existant("AbsAidant-202403152.csv");
  Existant("AbsAidant-202403141.csv");  // another day does not count
  EXPECT_EQ(Exporter({}), "AbsAidant-202403153.csv");
  EXPECT_EQ(Lignes("AbsAidant-202403152.csv"), std::vector<std::string>{"ancien"});  // untouched

  db().DBOpen("STATAIDANT").DBDelete("AbsAidant-202403152.csv");
  EXPECT_EQ(Exporter({}), "AbsAidant-202403152.csv");  // the gap first
  for (int n = 4; n <= 9; ++n) Existant("AbsAidant-20240315" + std::to_string(n) + ".csv");
  EXPECT_EQ(Exporter({}), "AbsAidant-2024031510.csv");
}

TEST_F(ExportTest, ShortFormatLinesOfTheCarersTheUserMaySee) {
  const std::string nom = Exporter({
      {.cle = "000120120518", .fin = "20520", .observation = "  a\r\nb\nc "},
      {.cle = "000140120518", .fin = "20520"},  // sector 002: left out, as the list leaves it out
      {.cle = "000130120518", .debut = "2", .fin = "20520", .finDemi = "1"},
      {.cle = "000120320518", .debut = "", .fin = "", .finDemi = "", .activite = "3750"},
      {.cle = "999990120518", .fin = "20520"},  // no such carer, so no sector: left out
  });
  const std::vector<std::string> attendu = {
      kCourt,
      kDupont + "04/03/2024;M;06/03/2024;S;01;Maladie;a | bc;NORD;CENTRE;GARE;F;17/05/1980;",
      "00013; ;PAUL;;;;;;;04/03/2024;A;06/03/2024;M;01;Maladie;;;;;M;;",
      kDupont + "04/03/2024;;;;03;Mi-temps thérapeutique;;NORD;CENTRE;GARE;F;17/05/1980;37,5",
  };
  EXPECT_EQ(Lignes(nom), attendu);
  EXPECT_EQ(Access::State(control()).IndLigne, 6);  // one past the last row

  // Rows of hidden carers only: the header alone, as an empty selection.
  EXPECT_EQ(Lignes(Exporter({{.cle = "000140120518", .fin = "20520"}})), std::vector<std::string>{kCourt});
}

// Texts a spreadsheet would split or run are written so that it reads them
// as they stand: quoted when they hold ";", a quote or a line break, and
// with a leading apostrophe when they would start a formula.
TEST_F(ExportTest, StoredTextsReadBackAsWrittenAndNeverRunAsFormulas) {
  Write("CIVILAIDANT", "00015",
        {{2, {"=HYPERLINK(\"http://x\";\"A\")"}}, {3, {"Anne;Marie"}}, {9, {"-BAT C"}}, {10, {"+42000"}},
         {11, {"@LYON"}}, {12, {"+33 4 77 12 34 56"}}, {14, {"=1+1"}}, {31, {"001"}}});
  const auto lignes = Lignes(Exporter({{.cle = "000150120518", .fin = "20520", .observation = "dit \"oui\""}}));
  ASSERT_EQ(lignes.size(), 2u);
  EXPECT_EQ(lignes[1],
            "00015;\"'=HYPERLINK(\"\"http://x\"\";\"\"A\"\")\";\"Anne;Marie\";;'-BAT C;+42000;'@LYON;"
            "+33 4 77 12 34 56;'=1+1;04/03/2024;M;06/03/2024;S;01;Maladie;\"dit \"\"oui\"\"\";NORD;;;;;");

  struct Cas {
    const char* texte;
    const char* champ;
  };
  const Cas cas[] = {{"", ""},          {"DUPONT", "DUPONT"},       {"-12,5", "-12,5"},     {"+33 (0)4 77", "+33 (0)4 77"},
                     {"-", "'-"},        {"+A", "'+A"},              {"@", "'@"},            {"=A1", "'=A1"},
                     {"a;b", "\"a;b\""}, {"\"", "\"\"\"\""}, {"a\nb", "\"a\nb\""}, {"=a;b", "\"'=a;b\""}};
  for (const Cas& c : cas) EXPECT_EQ(control::TexteCsv(c.texte), c.champ) << c.texte;
}

TEST_F(ExportTest, ReasonLabelCovidAndOldEleventhEntry) {
  Write("ABSENCESAIDANT", "000120120518", {{53, {"1"}}});
  Write("ABSENCESAIDANT", "000120120519", {{53, {"2"}}});
  Write("ABSENCESAIDANT", "000120120520", {{53, {""}}});
  // A row whose column 1 was rewritten by a contract portion keeps the
  // absence key in column 8: the Covid mark is read under that key.
  Write("ABSENCESAIDANT", "000120120400", {{53, {"1"}}});
  mvdb::DynArray rows;
  const char* cles[] = {"000120120518", "000120120519", "000120120520", "000131116071", "000131116072",
                        "000124220518", "000120120518"};
  for (int r = 1; r <= 7; ++r) rows.SetItem(r, 1, cles[r - 1]);
  rows.SetItem(7, 1, "000120120530");  // no absence under the rewritten key
  rows.SetItem(7, 8, "000120120400");
  Access::State(control()).ResultatSelection = rows;
  Access::Fichier_Stat(control());
  const auto lignes = Lignes("AbsAidant-202403151.csv");
  ASSERT_EQ(lignes.size(), 8u);
  auto libelle = [&](int r) {
    std::stringstream champs(lignes[r]);
    std::string champ;
    for (int i = 0; i < 15; ++i) std::getline(champs, champ, ';');
    return champ;
  };
  EXPECT_EQ(libelle(1), "Maladie-Covid 19-garde enfant");
  EXPECT_EQ(libelle(2), "Maladie-Covid 19-sans carence");
  EXPECT_EQ(libelle(3), "Maladie");
  EXPECT_EQ(libelle(4), "Evènement famille : déménagement");  // 31/12/2011 and before
  EXPECT_EQ(libelle(5), "Evènement familial");
  EXPECT_EQ(libelle(6), "");  // reason missing from the table
  EXPECT_EQ(libelle(7), "Maladie-Covid 19-garde enfant");

  // A reason missing from a table of ten entries takes the position past the
  // last one, the eleventh: before 2012 it is the old label.
  Write("TABLES", "ABSENCES", {{2, {"01", "02", "03", "04", "05", "06", "07", "08", "09", "10"}}});
  Access::State(control()).ResultatSelection = mvdb::DynArray("000134216071\xFE" "000134216072");
  Access::Fichier_Stat(control());
  const auto dix = Lignes("AbsAidant-202403152.csv");
  ASSERT_EQ(dix.size(), 3u);
  EXPECT_NE(dix[1].find(";42;Evènement famille : déménagement;"), std::string::npos) << dix[1];
  EXPECT_NE(dix[2].find(";42;;"), std::string::npos) << dix[2];
}

class ExportLongTest : public ExportTest {
 protected:
  void SetUp() override {
    ExportTest::SetUp();
    // Weekly hours, 30 h from day 15000 then 35 h from day 16000; current rate 10,5.
    Write("CONTRAT", "C0001",
          {{2, {"001"}}, {15, {"15000", "16000"}}, {20, {"G1"}}, {23, {"9800", "10500"}},
           {24, {"3000", "3500"}}, {25, {"1", "1"}}, {108, {"IGNOREE"}}});
    // Yearly hours, no grid, a rate history ending in "0": the rate is computed.
    Write("CONTRAT", "C0002", {{15, {"15000"}}, {23, {"9800", "0"}}, {24, {"182000"}}, {25, {"4"}}, {108, {"AGENT A"}}});
    db().routines().Register("CALCCOEFFTXHOR", [this](mvdb::Database&, const mvdb::DynArray& arguments) {
      appels_.push_back(arguments.Text());
      mvdb::DynArray reponse;
      reponse.SetItem(1, "GRILLE");
      reponse.SetItem(2, "12345");
      return reponse;
    });
  }
  std::vector<std::string> appels_;
};

TEST_F(ExportLongTest, LongFormatLines) {
  const std::string nom = Exporter(
      {
          // Afternoon of 26/02 to midday of 05/04, over the March period.
          {.cle = "000120220511", .debut = "2", .fin = "20550", .finDemi = "1", .contrat = "C0001"},
          // A single morning in the period, hours of a half day.
          {.cle = "000131320520", .fin = "20520", .finDemi = "1", .contrat = "C0002", .activite = "8000"},
          // Without a contract the line stops after the activity percentage.
          {.cle = "000130320518", .fin = "20520", .activite = "5000"},
          // A contract that does not exist: its columns stay empty.
          {.cle = "000120120518", .fin = "20520", .contrat = "C9999", .activite = "8000"},
      },
      true);
  const auto lignes = Lignes(nom);
  ASSERT_EQ(lignes.size(), 5u);
  EXPECT_EQ(lignes[0], control::kEnteteLong);
  EXPECT_EQ(lignes[1], kDupont +
                           "26/02/2024;A;05/04/2024;M;02;Accident du travail;;NORD;CENTRE;GARE;"
                           "39;31;151,67;151,67;EMPLOYE B;001;AIDE A DOMICILE;F;17/05/1980;;10,5");
  EXPECT_EQ(lignes[2],
            "00013; ;PAUL;;;;;;;06/03/2024;M;06/03/2024;M;13;Temps partiel;;;;;"
            "0,5;0,5;151,67;2,45;AGENT A;;;M;;80;12,345");
  EXPECT_EQ(lignes[3], "00013; ;PAUL;;;;;;;04/03/2024;M;06/03/2024;S;03;Mi-temps thérapeutique;;;;;;;;;;;;M;;50");
  EXPECT_EQ(Champs(lignes[3]), 29);
  EXPECT_EQ(lignes[4], kDupont +
                           "04/03/2024;M;06/03/2024;S;01;Maladie;;NORD;CENTRE;GARE;"
                           "3;3;;;;;;F;17/05/1980;;");
  EXPECT_EQ(Champs(lignes[4]), 30);
  // The routine got the contract key, the position of the last rate and this month.
  ASSERT_EQ(appels_.size(), 1u);
  EXPECT_EQ(appels_[0], mvdb::DynArray("C0002\xFE" "2\xFE" "202403").Text());
}

TEST_F(ExportLongTest, WholeMonthPeriodsAndComputedRateOncePerContract) {
  Periode("01/02/2024", "29/02/2024");  // 29 days in the month
  const std::string nom = Exporter(
      {
          {.cle = "000120120511", .fin = "20540", .contrat = "C0001"},  // covers the whole period
          {.cle = "000131320511", .fin = "20512", .contrat = "C0002"},  // two days
          {.cle = "000131320513", .fin = "20513", .contrat = "C0002"},
      },
      true);
  const auto lignes = Lignes(nom);
  ASSERT_EQ(lignes.size(), 4u);
  // 26/02 to 26/03 is 30 days, of which 26/02 to 29/02 (4) in the period.
  EXPECT_NE(lignes[1].find(";30;4;151,67;20,92;EMPLOYE B;"), std::string::npos) << lignes[1];
  EXPECT_NE(lignes[2].find(";2;2;151,67;10,46;AGENT A;"), std::string::npos) << lignes[2];
  EXPECT_EQ(appels_.size(), 1u);
}

TEST_F(ExportTest, FailedWriteShowsAMessageAndLeavesNoFile) {
  // Make the folder of STATAIDANT unusable: a plain file where it should be.
  const auto dossier = Chemin("x").parent_path();
  std::filesystem::remove_all(dossier);
  std::ofstream(dossier) << "pas un dossier";
  Access::State(control()).ResultatSelection = mvdb::DynArray("000120120518");
  Access::AsEvent(control(), "Cmd_Imprimer_Click", [&] { Access::Fichier_Stat(control()); });
  ASSERT_EQ(ui().Messages().size(), 1u);
  EXPECT_TRUE(ui().Messages()[0].first.contains(
      QStringLiteral("Le fichier AbsAidant-202403151.csv n'a pas pu être écrit dans le répertoire STATAIDANT")))
      << ui().Messages()[0].first.toStdString();
  EXPECT_FALSE(ui().IsBusy());
  EXPECT_TRUE(control().isEnabled());
  EXPECT_TRUE(std::filesystem::is_regular_file(dossier));
}

// Two writers racing for the day's names, each with its own database
// connection: every file lands under its own name and none is lost.
TEST_F(ExportTest, ConcurrentExportsNeverOverwriteEachOther) {
  constexpr int kParEcrivain = 8;
  const QDate jour(2024, 3, 15);
  std::barrier ensemble(2);
  std::vector<std::string> noms[2];
  auto ecrivain = [&](int e) {
    auto base = mvdb::Database::Open(db().Path());
    const mvdb::DbFile stat = base->DBOpen("STATAIDANT");
    for (int i = 0; i < kParEcrivain; ++i) {
      mvdb::DynArray fichier = stat.DBNew(control::PremierNomLibre(stat, jour));
      fichier.SetItem(1, "ecrivain " + std::to_string(e) + " fichier " + std::to_string(i));
      ensemble.arrive_and_wait();  // both probed the same free name
      noms[e].push_back(control::EcrireNouveauFichier(stat, jour, fichier));
    }
  };
  std::thread premier(ecrivain, 0), second(ecrivain, 1);
  premier.join();
  second.join();

  std::set<std::string> tous;
  for (int e = 0; e < 2; ++e) {
    for (int i = 0; i < kParEcrivain; ++i) {
      tous.insert(noms[e][i]);
      EXPECT_EQ(Lignes(noms[e][i]),
                std::vector<std::string>{"ecrivain " + std::to_string(e) + " fichier " + std::to_string(i)});
    }
  }
  EXPECT_EQ(tous.size(), 2u * kParEcrivain);
  EXPECT_EQ(*tous.begin(), "AbsAidant-202403151.csv");
}

}  // namespace
}  // namespace morvane::testing
