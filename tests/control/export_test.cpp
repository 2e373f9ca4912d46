// The statistics export without the form: the day's file names, whole files
// of both formats, the CSV rules, the reason label and the figures of the
// long format.

#include "builder.h"
#include "control/export_fichier.h"
#include "mvdb/numbers.h"
#include "mvdb/routines.h"

namespace morvane::testing {
namespace {

using namespace control;

const std::string kBom = "\xEF\xBB\xBF";
// 20518 is 04/03/2024, 20520 06/03/2024, 20511 26/02/2024, 20550 05/04/2024.
const std::string kDupont = "00012;DUPONT;MARIE;12 RUE DES LILAS ;BAT B;42000;SAINT-ÉTIENNE;;0611223344;";

/// One result row: absence key, half-day codes, last day, observation,
/// contract key, activity percentage x 100 (columns 1 to 7), key kept (8).
struct Ligne {
  std::string cle{}, debut = "1", fin{}, finDemi = "2", observation{}, contrat{}, activite{}, origine{};
};

class Export : public ::testing::Test {
 protected:
  Export() {
    base.Motifs({{"01", "Maladie"}, {"02", "Accident du travail"}, {"03", "Mi-temps thérapeutique"},
                 {"04", "Maladie professionnelle"}, {"05", "Hospitalisation"}, {"06", "Maternité"}, {"07", "Mariage"},
                 {"08", "Naissance"}, {"09", "Décès"}, {"10", "Enfant malade"}, {"11", "Evènement familial"},
                 {"13", "Temps partiel"}});
    base.Secteur("001", "NORD");
    base.Secteur("002", "SUD");
    base.Write("SOUSSECTEUR", "S1", {{1, {"CENTRE"}}});
    base.Write("QUARTIER", "Q1", {{1, {"GARE"}}});
    base.Write("ASSOCIATION", "001", {{1, {"AIDE A DOMICILE"}}});
    base.Write("GRILLESCC", "G1", {{7, {"EMPLOYE B"}}});
    // Address parts 12, RUE, DES LILAS and a blank street name; no telephone 1.
    base.Write("CIVILAIDANT", "00012",
               {{2, {"DUPONT"}}, {3, {"MARIE"}}, {5, {"12"}}, {6, {"RUE"}}, {7, {"DES LILAS"}}, {8, {"  "}},
                {9, {"BAT B"}}, {10, {"42000"}}, {11, {"SAINT-ÉTIENNE"}}, {12, {""}}, {14, {"0611223344"}},
                {17, {"2"}}, {26, {"4521"}}, {31, {"001"}}, {32, {"S1"}}, {33, {"Q1"}}});
    // Blank surname, no address, male, a sector without a label.
    base.Write("CIVILAIDANT", "00013", {{2, {" "}}, {3, {"PAUL"}}, {17, {"1"}}, {31, {"009"}}});
    base.Write("CIVILAIDANT", "00014", {{2, {"CACHE"}}, {3, {"LUC"}}, {11, {"FEURS"}}, {31, {"002"}}});
    // Weekly hours, 30 h from day 15000 then 35 h from day 16000; current rate 10,5.
    base.Write("CONTRAT", "C0001", {{2, {"001"}}, {15, {"15000", "16000"}}, {20, {"G1"}}, {23, {"9800", "10500"}},
                                    {24, {"3000", "3500"}}, {25, {"1", "1"}}, {108, {"IGNOREE"}}});
    // Yearly hours, no grid, a rate history ending in "0": the rate is computed.
    base.Write("CONTRAT", "C0002", {{15, {"15000"}}, {23, {"9800", "0"}}, {24, {"182000"}}, {25, {"4"}}, {108, {"AGENT A"}}});
    base.db().routines().Register("CALCCOEFFTXHOR", [this](mvdb::Database&, const mvdb::DynArray& arguments) {
      appels.push_back(arguments.Text());
      return mvdb::DynArray("GRILLE\xFE" "12345");
    });
  }
  /// Exports these rows (the user sees sectors 001 and 009) and returns the
  /// file's lines, the byte-order mark and CR LF checked and removed.
  std::vector<std::string> Exporter(const std::vector<Ligne>& lignes, bool formatLong = false,
                                    const QString& debut = "01/03/2024", const QString& fin = "31/03/2024") {
    mvdb::DynArray rows;
    for (std::size_t i = 0; i < lignes.size(); ++i) {
      const Ligne& l = lignes[i];
      const std::string colonnes[] = {l.cle, l.debut, l.fin, l.finDemi, l.observation, l.contrat, l.activite, l.origine};
      for (int c = 0; c < 8; ++c) rows.SetItem(static_cast<int>(i) + 1, c + 1, colonnes[c]);
    }
    auto dates = services::MakeBatchOutilsDate(0, 1);
    ParametresExport p{formatLong, debut, fin, mvdb::ParseInteger(dates->DateInterne(debut).toStdString()),
                       mvdb::ParseInteger(dates->DateInterne(fin).toStdString()), QDate(2024, 3, 15),
                       services::MakeDroits("test", 2, {"001", "009"})->DroitsFichier("ABSENCESAIDANT")};
    LignesExport export_(base.Files(), p, *dates);
    nom = EcrireExport(export_, rows, base.db(), base.Files().stat, QDate(2024, 3, 15), {});
    std::string texte = Octets(nom);
    EXPECT_EQ(texte.substr(0, 3), kBom);
    std::vector<std::string> out;
    for (std::size_t d = 3, f; d < texte.size(); d = f + 2) {
      f = texte.find("\r\n", d);
      out.push_back(texte.substr(d, f - d));
    }
    return out;
  }
  std::string Octets(const std::string& fichier) {
    std::ifstream in(std::filesystem::path(base.db().Path().string() + ".d") / "STATAIDANT" / fichier, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void Existant(const std::string& fichier) { base.Write("STATAIDANT", fichier, {{1, {"ancien"}}}); }

  Base base;
  std::string nom;
  std::vector<std::string> appels;
};

TEST_F(Export, TheSmallestFreeNameOfTheDay) {
  EXPECT_EQ(Exporter({}), std::vector<std::string>{kEnteteCourt});
  EXPECT_EQ(nom, "AbsAidant-202403151.csv");
  Existant("AbsAidant-202403152.csv");
  Existant("AbsAidant-202403141.csv");  // another day does not count
  Exporter({});
  EXPECT_EQ(nom, "AbsAidant-202403153.csv");
  EXPECT_EQ(Octets("AbsAidant-202403152.csv"), kBom + "ancien\r\n");  // untouched
  for (int n = 4; n <= 9; ++n) Existant("AbsAidant-20240315" + std::to_string(n) + ".csv");
  Exporter({});
  EXPECT_EQ(nom, "AbsAidant-2024031510.csv");
}

TEST_F(Export, ShortFormatLinesOfTheCarersTheUserMaySee) {
  EXPECT_EQ(Exporter({
                {.cle = "000120120518", .fin = "20520", .observation = "  a\r\nb\nc "},
                {.cle = "000140120518", .fin = "20520"},  // sector 002: left out, as the list leaves it out
                {.cle = "000130120518", .debut = "2", .fin = "20520", .finDemi = "1"},
                {.cle = "000120320518", .debut = "", .fin = "", .finDemi = "", .activite = "3750"},
                {.cle = "999990120518", .fin = "20520"},  // no such carer, so no sector: left out
            }),
            (std::vector<std::string>{
                kEnteteCourt,
                kDupont + "04/03/2024;M;06/03/2024;S;01;Maladie;a | bc;NORD;CENTRE;GARE;F;17/05/1980;",
                "00013; ;PAUL;;;;;;;04/03/2024;A;06/03/2024;M;01;Maladie;;;;;M;;",
                kDupont + "04/03/2024;;;;03;Mi-temps thérapeutique;;NORD;CENTRE;GARE;F;17/05/1980;37,5",
            }));
  EXPECT_EQ(Exporter({{.cle = "000140120518", .fin = "20520"}}), std::vector<std::string>{kEnteteCourt});
}

// Texts a spreadsheet would split or run are written so that it reads them
// as they stand: quoted when they hold ";", a quote or a line break, with a
// leading apostrophe when they would start a formula.
TEST_F(Export, StoredTextsReadBackAsWrittenAndNeverRunAsFormulas) {
  base.Write("CIVILAIDANT", "00015",
             {{2, {"=HYPERLINK(\"http://x\";\"A\")"}}, {3, {"Anne;Marie"}}, {9, {"-BAT C"}}, {10, {"+42000"}},
              {11, {"@LYON"}}, {12, {"+33 4 77 12 34 56"}}, {14, {"=1+1"}}, {31, {"001"}}});
  EXPECT_EQ(Exporter({{.cle = "000150120518", .fin = "20520", .observation = "dit \"oui\""}})[1],
            "00015;\"'=HYPERLINK(\"\"http://x\"\";\"\"A\"\")\";\"Anne;Marie\";;'-BAT C;+42000;'@LYON;"
            "+33 4 77 12 34 56;'=1+1;04/03/2024;M;06/03/2024;S;01;Maladie;\"dit \"\"oui\"\"\";NORD;;;;;");
  const std::pair<const char*, const char*> cas[] = {
      {"", ""},          {"DUPONT", "DUPONT"}, {"-12,5", "-12,5"},     {"+33 (0)4 77", "+33 (0)4 77"}, {"-", "'-"},
      {"+A", "'+A"},     {"@", "'@"},          {"=A1", "'=A1"},         {"a;b", "\"a;b\""},  {"\"", "\"\"\"\""},
      {"a\nb", "\"a\nb\""}, {"=a;b", "\"'=a;b\""}};
  for (const auto& [texte, champ] : cas) EXPECT_EQ(TexteCsv(texte), champ) << texte;
}

TEST_F(Export, ReasonLabel) {
  base.Write("ABSENCESAIDANT", "000120120518", {{53, {"1"}}});
  base.Write("ABSENCESAIDANT", "000120120519", {{53, {"2"}}});
  base.Write("ABSENCESAIDANT", "000120120400", {{53, {"1"}}});
  const auto libelles = [&] {
    std::vector<std::string> out;
    for (const auto& line : Exporter({{.cle = "000120120518"}, {.cle = "000120120519"}, {.cle = "000120120520"},
                                      {.cle = "000131116071"}, {.cle = "000131116072"}, {.cle = "000134216071"},
                                      {.cle = "000134216072"},
                                      // the key the portions rewrote: the Covid mark is read under column 8's
                                      {.cle = "000120120530", .origine = "000120120400"}})) {
      std::stringstream fields(line);
      std::string field;
      for (int i = 0; i < 15; ++i) std::getline(fields, field, ';');
      out.push_back(field);
    }
    return out;
  };
  EXPECT_EQ(libelles(), (std::vector<std::string>{"Libellé motif", "Maladie-Covid 19-garde enfant",
                                                  "Maladie-Covid 19-sans carence", "Maladie",
                                                  "Evènement famille : déménagement", "Evènement familial", "", "",
                                                  "Maladie-Covid 19-garde enfant"}));
  // A reason missing from a table of ten entries takes the position past the
  // last one, the eleventh: before 2012 it is the old label.
  base.Write("TABLES", "ABSENCES", {{2, {"01", "02", "03", "04", "05", "06", "07", "08", "09", "10"}}});
  EXPECT_EQ(libelles()[6], "Evènement famille : déménagement");
}

TEST_F(Export, LongFormatLines) {
  EXPECT_EQ(Exporter({
                // Afternoon of 26/02 to midday of 05/04, over the March period.
                {.cle = "000120220511", .debut = "2", .fin = "20550", .finDemi = "1", .contrat = "C0001"},
                // A single morning in the period, hours of a half day.
                {.cle = "000131320520", .fin = "20520", .finDemi = "1", .contrat = "C0002", .activite = "8000"},
                // Without a contract the line stops after the activity percentage.
                {.cle = "000130320518", .fin = "20520", .activite = "5000"},
                // A contract that does not exist: its columns stay empty.
                {.cle = "000120120518", .fin = "20520", .contrat = "C9999", .activite = "8000"},
            },
            true),
            (std::vector<std::string>{
                kEnteteLong,
                kDupont + "26/02/2024;A;05/04/2024;M;02;Accident du travail;;NORD;CENTRE;GARE;"
                          "39;31;151,67;151,67;EMPLOYE B;001;AIDE A DOMICILE;F;17/05/1980;;10,5",
                "00013; ;PAUL;;;;;;;06/03/2024;M;06/03/2024;M;13;Temps partiel;;;;;0,5;0,5;151,67;2,45;AGENT A;;;M;;80;12,345",
                "00013; ;PAUL;;;;;;;04/03/2024;M;06/03/2024;S;03;Mi-temps thérapeutique;;;;;;;;;;;;M;;50",
                kDupont + "04/03/2024;M;06/03/2024;S;01;Maladie;;NORD;CENTRE;GARE;3;3;;;;;;F;17/05/1980;;",
            }));
  // The routine got the contract key, the position of the last rate and this month.
  EXPECT_EQ(appels, std::vector<std::string>{mvdb::DynArray("C0002\xFE" "2\xFE" "202403").Text()});
  // A whole month: its own days.
  const auto fevrier = Exporter({{.cle = "000120120511", .fin = "20540", .contrat = "C0001"},
                                 {.cle = "000131320511", .fin = "20512", .contrat = "C0002"}},
                                true, "01/02/2024", "29/02/2024");
  EXPECT_NE(fevrier[1].find(";30;4;151,67;20,92;EMPLOYE B;"), std::string::npos) << fevrier[1];
  EXPECT_NE(fevrier[2].find(";2;2;151,67;10,46;AGENT A;"), std::string::npos) << fevrier[2];
}

// ---- the figures ----

std::string Jours(std::int32_t debut, std::int32_t fin, const char* codeDebut, const char* codeFin, std::int32_t dp = 0,
                  std::int32_t fp = 999) {
  return NombreFrancais(JoursSurPeriode(debut, fin, DemiJourneesDesCodes(codeDebut, codeFin), dp, fp));
}

/// The monthly hours on `jour` of a contract of these dates, hours and units.
std::string Mensuelles(std::vector<std::string> dates, std::vector<std::string> heures,
                       std::vector<std::string> unites, std::int32_t jour) {
  mvdb::DynArray contrat;
  for (std::size_t k = 0; k < dates.size(); ++k) {
    contrat.SetItem(15, static_cast<int>(k) + 1, dates[k]);
    contrat.SetItem(24, static_cast<int>(k) + 1, heures[k]);
    contrat.SetItem(25, static_cast<int>(k) + 1, unites[k]);
  }
  return NombreFrancais(HeuresMensuelles(contrat, jour));
}

TEST(ExportChiffres, DaysHoursRatesAndTheFrenchNumberForm) {
  const std::pair<std::string, std::string> cas[] = {
      // Days of absence: the half days, then clipped to the period (a clipped end counts whole).
      {Jours(100, 102, "1", "2"), "3"},         {Jours(100, 100, "2", "2"), "0,5"},
      {Jours(100, 102, "2", "1"), "2"},         {Jours(100, 102, "1", "1"), "2,5"},
      {Jours(100, 102, "", ""), "3"},           {Jours(100, 100, "  ", "1"), "0,5"},
      {Jours(100, 140, "2", "1", 110, 120), "11"}, {Jours(100, 115, "2", "1", 110, 120), "5,5"},
      {Jours(112, 112, "2", "1", 110, 120), "0,5"},
      // Monthly hours by unit, the entry in force, half a hundredth up.
      {Mensuelles({"100"}, {"3500"}, {"1"}, 200), "151,67"},    {Mensuelles({"100"}, {"7000"}, {"2"}, 200), "151,67"},
      {Mensuelles({"100"}, {"15167"}, {"3"}, 200), "151,67"},   {Mensuelles({"100"}, {"182000"}, {"4"}, 200), "151,67"},
      {Mensuelles({"100"}, {"3500"}, {"9"}, 200), "0"},         {Mensuelles({"100"}, {"3"}, {"2"}, 200), "0,07"},
      {Mensuelles({"15000", "16000"}, {"3500", "1750"}, {"1", "1"}, 15999), "151,67"},
      {Mensuelles({"15000", "16000"}, {"3500", "1750"}, {"1", "1"}, 16000), "75,83"},
      {Mensuelles({"15000", " 16000 "}, {"3500", " 17.5e1"}, {"1", "1"}, 16000), "0"},
      {Mensuelles({"15000"}, {"3500"}, {"1"}, 14999), "0"},
      {NombreFrancais(HeuresSurPeriode(151.67, 30, 0.5)), "2,53"},
      {NombreFrancais(HeuresSurPeriode(151.67, 31, 10)), "48,93"},
      // Numbers: decimal comma, no separator, at most 15 digits.
      {NombreFrancais(1234567), "1234567"},     {NombreFrancais(3750.0 / 100), "37,5"},
      {NombreFrancais(0.1 + 0.2), "0,3"},       {NombreFrancais(-0.0), "0"},
      {MonnaieFrancaise(98765), "9,8765"},      {MonnaieFrancaise(110000), "11"},
      {MonnaieFrancaise(*MonnaieDesMilliemes(" 10500.25")), "10,5002"},  // half to even
      {MonnaieDesMilliemes("1,5") ? "number" : "none", "none"},
      {MonnaieDesMilliemes("nan") ? "number" : "none", "none"},
  };
  for (const auto& [obtenu, attendu] : cas) EXPECT_EQ(obtenu, attendu);
  const std::pair<std::pair<const char*, const char*>, int> mois[] = {
      {{"01/02/2024", "29/02/2024"}, 29}, {{"01/05/2024", "31/05/2024"}, 31}, {{"01/02/2023", "28/02/2023"}, 28},
      {{"01/03/2024", "30/03/2024"}, 30}, {{"01/02/2024", "28/02/2024"}, 30}, {{"01/02/1900", "29/02/1900"}, 29},
      {{"02/05/2024", "31/05/2024"}, 30}, {{"01/05/2024", "31/06/2024"}, 30}};
  for (const auto& [periode, jours] : mois) EXPECT_EQ(JoursDuMois(periode.first, periode.second), jours) << periode.first;
}

}  // namespace
}  // namespace morvane::testing
