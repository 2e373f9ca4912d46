// The printed list without the form, on a recording printer: a whole page,
// page capacity and breaks, the cells of the detail block, and the carers
// the user may not see (sectors 001 and 002 visible, 009 hidden).
#include "builder.h"
#include "control/liste.h"

namespace morvane::testing {
namespace {

constexpr int kJour = 20455;  // 01/01/2024

std::string Cle(const std::string& aidant, const std::string& motif, int jour) {
  return aidant + motif + std::to_string(jour);
}

class Liste : public ::testing::Test {
 protected:
  Liste() {
    base.Secteur("001", "Secteur Un");
    base.Secteur("002", "Secteur Deux");
    base.Secteur("009", "Secteur Neuf");
    base.Motifs({{"01", "Maladie"}, {"02", "Accident du travail"}, {"03", "Mi-temps thérapeutique"},
                 {"04", "Maladie professionnelle"}, {"05", "Hospitalisation"}, {"06", "Maternité"}, {"07", "Mariage"},
                 {"08", "Naissance"}, {"09", "Décès"}, {"10", "Enfant malade"}, {"11", "Déménagement"},
                 {"15", "Congés payés"}, {"22", "A valider"}, {"31", "Congé sans solde"}});
    Aidant("00001", "MARTIN", "Anne", "001");
    Aidant("00002", "DURAND", "Luc", "002", {"9", "", "RUE", "BASSE"}, "", "42300", "ROANNE");
    Aidant("00009", "CACHE", "Paul", "009", {"9", "", "RUE", "BASSE"}, "", "42300", "VILLE-CACHEE");
    criteres.debut = "01/01/2024";
    criteres.fin = "31/12/2024";
  }
  void Aidant(const std::string& code, const std::string& nom, const std::string& prenom, const std::string& secteur,
              const std::vector<std::string>& adresse = {"3", "", "RUE", "HAUTE"}, const std::string& complement = "",
              const std::string& cp = "42000", const std::string& ville = "SAINT-ÉTIENNE") {
    base.Write("CIVILAIDANT", code,
               {{2, {nom}}, {3, {prenom}}, {5, {adresse[0]}}, {6, {adresse[1]}}, {7, {adresse[2]}},
                {8, {adresse[3]}}, {9, {complement}}, {10, {cp}}, {11, {ville}}, {31, {secteur}}});
  }
  /// One copy of the list of these keys (start half-day "1", last day the
  /// first plus 2 unless given, end half-day "2") on `printer`.
  services::RecordingPrinter& Imprimer(const std::vector<std::string>& cles, const char* dernier = nullptr,
                                       const QString& printer = "HP LaserJet") {
    mvdb::DynArray rows;
    for (std::size_t i = 0; i < cles.size(); ++i) {
      const int r = static_cast<int>(i) + 1;
      rows.SetItem(r, 1, cles[i]);
      rows.SetItem(r, 2, half.first);
      rows.SetItem(r, 3, dernier ? dernier : std::to_string(std::stoi(cles[i].substr(7)) + 2));
      rows.SetItem(r, 4, half.second);
    }
    recorders.push_back(std::make_unique<services::RecordingPrinter>(printer));
    const auto droits = services::MakeDroits("test", 2, {"001", "002"})->DroitsFichier("ABSENCESAIDANT");
    const control::Fichiers files = base.Files();
    auto dates = services::MakeBatchOutilsDate(0, 1);
    control::ListeAbsences({criteres, files, *recorders.back(), *droits, *dates, QDate(2024, 3, 15), 567, {}})
        .Select_Impression(rows);
    return *recorders.back();
  }
  /// The body lines of a page (at or below 6.4 cm) that begin with a code.
  static std::vector<QString> Blocs(services::RecordingPrinter& p, int page = 1, bool secondes = false) {
    std::vector<QString> lines;
    for (const auto& [y, text] : p.PageLines(page, 1)) {
      if (y >= 6.4 * 567 - 1 && !text.trimmed().isEmpty() && text.startsWith(QLatin1Char(' ')) == secondes) lines.push_back(text);
    }
    return lines;
  }
  /// The texts of a page, one printed line each.
  static QString Texte(services::RecordingPrinter& p, int page = 1) {
    QStringList lines;
    for (const auto& [y, text] : p.PageLines(page, 1)) lines << text;
    return lines.join('\n');
  }
  static std::vector<std::string> Plein(const std::string& aidant, int n) {
    std::vector<std::string> cles;
    for (int i = 0; i < n; ++i) cles.push_back(Cle(aidant, "15", kJour + 10 * i));
    return cles;
  }

  Base base;
  control::Criteres criteres;
  std::pair<std::string, std::string> half{"1", "2"};
  std::vector<std::unique_ptr<services::RecordingPrinter>> recorders;
};

// The page as drawn: header, title, the framed table header at 5 cm, the
// detail block, and the frame closed below the last counted line.
TEST_F(Liste, AWholePage) {
  criteres.entite = "001";
  criteres.nomEntite = "AIDE A DOMICILE";
  criteres.prestataire = criteres.mandataire = true;
  auto& p = Imprimer({Cle("00001", "15", kJour)});
  // Every colon in column 17 from 0.5 cm (x 2324 with 120 twips a character),
  // the table header one line below 5 cm, the frame's foot after 1 + 3 + 1
  // counted lines (6 cm + 5 x 0.39 cm).
  EXPECT_EQ(p.Dump(1).join('\n').toStdString(), R"(T 0,240 Courier New 10 |Date : 15/03/2024                                                                                                         Page : 1|
T 0,960 Courier New 14 b |          LISTE DES AIDANTS ABSENTS ENTRE LE 01/01/2024 ET LE 31/12/2024|
T 284,1440 Courier New 10 u |Entité juridique|
T 2204,1440 Courier New 10 | : |
T 2564,1440 Courier New 10 |AIDE A DOMICILE|
T 284,1920 Courier New 10 u |Type d'activité|
T 2084,1920 Courier New 10 |  : PRESTATAIRE ET MANDATAIRE|
T 284,2400 Courier New 10 u |Secteur|
T 1124,2400 Courier New 10 |          : |
T 2564,2400 Courier New 10 |Secteur Un|
T 0,3075 Courier New 10 | CODE  NOM PRENOM                    ADRESSE                               DEBUT      FIN        MOTIF ABSENCE |
L 0,2892-15309,2892 w3
L 0,3402-15309,3402 w3
L 0,2892-0,3402 w3
L 15309,2892-15309,3402 w3
L 680,2892-680,3402 w1
L 4253,2892-4253,3402 w1
L 8902,2892-8902,3402 w1
L 10206,2892-10206,3402 w1
L 11510,2892-11510,3402 w1
T 57,3629 Courier New 10 |00001 |
T 777,3629 Courier New 10 |MARTIN Anne                   |
T 4377,3629 Courier New 10 | 3 RUEHAUTE                          |
T 8817,3629 Courier New 10 |01/01/2024 |
T 10137,3629 Courier New 10 |03/01/2024 |
T 11457,3629 Courier New 10 |Congés payés |
T 57,3869 Courier New 10 |                                    |
T 4377,3869 Courier New 10 |42000 SAINT-ÉTIENNE                  |
T 8817,3869 Courier New 10 |           |
T 10137,3869 Courier New 10 |       |
L 0,3402-0,4508 w3
L 15309,3402-15309,4508 w3
L 0,4508-15309,4508 w3
L 680,3402-680,4508 w1
L 4253,3402-4253,4508 w1
L 8902,3402-8902,4508 w1
L 10206,3402-10206,4508 w1
L 11510,3402-11510,4508 w1)");
  EXPECT_EQ(p.PageOrientations(1), std::vector<int>{services::kLandscape});
}

// Capacity, breaks and frames; a hidden carer never prints, counts or heads a
// page: not the first one, not one opened after a full page.
TEST_F(Liste, PageCapacityBreaksAndFrames) {
  struct Cas {
    const char* quoi;
    std::vector<std::string> cles;
    QString printer;
    control::ModeAidants aidants;
    std::vector<std::size_t> blocs;  // detail blocks per page
    double pied;                     // foot of page 1's frame, in lines counted
    QString entete;                  // the last page's heading
  };
  auto deuxSecteurs = std::vector<std::string>{Cle("00001", "15", kJour), Cle("00001", "15", kJour + 20), Cle("00002", "15", kJour)};
  auto cache = Plein("00001", 10), cacheALaFin = cache, apresUnePage = cache;
  cache.insert(cache.begin() + 4, Cle("00009", "15", kJour));
  cacheALaFin.push_back(Cle("00009", "15", kJour));
  apresUnePage.insert(apresUnePage.end(), {Cle("00009", "15", kJour + 5), Cle("00001", "15", kJour + 200)});
  const QString secteurUn = "Secteur          : Secteur Un";
  const Cas cas[] = {
      {"ten blocks a landscape page", Plein("00001", 11), "HP LaserJet", control::ModeAidants::Tous, {10, 1}, 32, ""},
      {"seventeen on a matrix printer", Plein("00001", 18), "Epson MatriCielle", control::ModeAidants::Tous, {17, 1}, 53, ""},
      {"a new sector starts a page", deuxSecteurs, "HP LaserJet", control::ModeAidants::Secteur, {2, 1}, 8, ""},
      {"a hidden carer prints and counts nothing", cache, "HP LaserJet", control::ModeAidants::Secteur, {10}, 32, ""},
      {"hidden carers at the end open no page", cacheALaFin, "HP LaserJet", control::ModeAidants::Commune, {10}, 32, ""},
      {"a hidden carer first heads no page", {Cle("00009", "15", kJour), Cle("00001", "15", kJour)}, "HP LaserJet",
       control::ModeAidants::Secteur, {1}, 5, secteurUn},
      {"nor one after a full page", apresUnePage, "HP LaserJet", control::ModeAidants::Secteur, {10, 1}, 32, secteurUn},
      {"whatever the grouping", apresUnePage, "HP LaserJet", control::ModeAidants::Commune, {10, 1}, 32,
       "Commune          : SAINT-ÉTIENNE"},
      {"no visible row: one page, its table framed and empty", {Cle("00009", "15", kJour)}, "HP LaserJet",
       control::ModeAidants::Secteur, {0}, 2, " CODE  NOM PRENOM"},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.quoi);
    criteres.aidants = c.aidants;
    auto& p = Imprimer(c.cles, nullptr, c.printer);
    std::vector<std::size_t> blocs;
    for (int n = 1; n <= p.PagesOfJob(1); ++n) blocs.push_back(Blocs(p, n).size());
    EXPECT_EQ(blocs, c.blocs);
    const float pied = static_cast<float>(567 * 0.39 * c.pied + 3402);
    EXPECT_EQ(p.Lines(1, 1).back().y2, pied);
    EXPECT_EQ(p.PageOrientations(1)[0], c.printer.contains("Matri") ? services::kPortrait : services::kLandscape);
    EXPECT_TRUE(Texte(p, p.PagesOfJob(1)).contains(c.entete));
    const QString tout = p.Dump(0).join('\n');
    EXPECT_FALSE(tout.contains("CACHE") || tout.contains("Neuf"));
  }
}

TEST_F(Liste, DetailCells) {
  Aidant("00003", std::string(22, 'N'), "Annie", "001", {"12", "B", "RUE", "DES LILAS"}, "", "75001", "PARIS");
  Aidant("00004", std::string(23, 'P'), "Annie", "001", {"", "", "", ""}, "RESIDENCE DES PINS");
  Aidant("00005", "VIDE", "Eve", "001", {"", "", "", ""});
  base.Write("ABSENCESAIDANT", Cle("00001", "01", kJour), {{53, {"1"}}});
  base.Write("ABSENCESAIDANT", Cle("00001", "01", kJour + 5), {{53, {"X"}}});
  criteres.aidants = control::ModeAidants::Tous;
  auto& p = Imprimer({Cle("00003", "11", 16071), Cle("00004", "11", 16072), Cle("00001", "01", kJour),
                      Cle("00001", "01", kJour + 5), Cle("00005", "44", kJour)},
                     "");
  const QString sans = QString(11, QLatin1Char(' '));
  EXPECT_EQ(Blocs(p), (std::vector<QString>{
                          "00003 NNNNNNNNNNNNNNNNNNNNNN Annie   12 B RUEDES LILAS                   31/12/2011 " + sans +
                              "Evènement famille : déménagemen ",
                          "00004 PPPPPPPPPPPPPPPPPPPPPPP Anni  RESIDENCE DES PINS                   01/01/2012 " + sans +
                              "Déménagement ",
                          "00001 MARTIN Anne                    3 RUEHAUTE                          01/01/2024 " + sans +
                              "Maladie-Covid 19-garde enfant ",
                          "00001 MARTIN Anne                    3 RUEHAUTE                          06/01/2024 " + sans +
                              "Maladie-Covid 19-sans carence ",
                          "00005 VIDE Eve                                                           01/01/2024 " + sans,
                      }));
  base.Motifs({{"01", "Maladie ordinaire longue"}});
  auto& longue = Imprimer({Cle("00001", "01", kJour)});
  EXPECT_EQ(Blocs(longue)[0].mid(95), "Maladie ordinaire longue-Covid  ");  // cut to 31 characters
}

TEST_F(Liste, SecondLines) {
  half = {"2", "1"};
  base.Write("ABSENCESAIDANT", Cle("00001", "22", kJour), {{29, {"a\r\nb"}}});
  base.Write("ABSENCESAIDANT", Cle("00001", "22", kJour + 1), {{29, {"premier\nsecond"}}});
  base.Write("ABSENCESAIDANT", Cle("00001", "03", kJour), {{28, {"1"}}});
  base.Write("ABSENCESAIDANT", Cle("00001", "03", kJour + 1), {{28, {"1"}}, {30, {"20460"}}, {31, {"20470"}}});
  const std::vector<std::string> cles = {Cle("00001", "15", kJour), Cle("00001", "31", kJour + 9),
                                         Cle("00001", "22", kJour), Cle("00001", "22", kJour + 1),
                                         Cle("00001", "03", kJour), Cle("00001", "03", kJour + 1)};
  const QString adresse = QString(36, QLatin1Char(' ')) + "42000 SAINT-ÉTIENNE                  ";
  const QString attente = adresse + QString(23, QLatin1Char(' '));
  // Only a leave shows its half days; the texts of an absence awaiting
  // validation only when "A valider" is ticked.
  EXPECT_EQ(Blocs(Imprimer(cles), 1, true),
            (std::vector<QString>{adresse + " après-midi       midi", adresse + " ", adresse + " ", adresse + " ",
                                  adresse + " ", adresse + " "}));
  criteres.aValider = 1;  // every absence but a leave is read again: the 31 row goes
  EXPECT_EQ(Blocs(Imprimer({cles[0], cles[2], cles[3], cles[4], cles[5]}), 1, true),
            (std::vector<QString>{adresse + " après-midi       midi", attente + "a | b",
                                  attente + "premiersecond", attente + "A confirmer",
                                  attente + "Confirmer 06/01/24 au 16/01/24"}));
  EXPECT_EQ(control::ObservationSurUneLigne(QString(30, QLatin1Char('x')) + "\r\nyz"), QString(30, QLatin1Char('x')));
  EXPECT_EQ(control::ObservationSurUneLigne(QString(40, QLatin1Char('x'))), QString(31, QLatin1Char('x')));
}

}  // namespace
}  // namespace morvane::testing
