// The absence selection without the form: the whole query text for every
// type, reason, carer, period and sort criterion; the contract filter; the
// per-contract portions; the record view the filters read absences through.

#include "builder.h"
#include "control/selection.h"
#include "control/selection_exceptions.h"
#include "control/selection_lecture.h"
#include "control/selection_requete.h"

namespace morvane::testing {
namespace {

using control::Criteres;
using control::ModePeriode;

// Sector 001, absences overlapping 20010..20040, sorted for the list.
const std::string kParts = " AND AVEC CodeSectAbs = \"001\" AND AVEC DebAbsAidant <= \"20040\" AND AVEC 2 >= \"20010\"";
const std::string kPeriode = " AND AVEC DebAbsAidant <= \"20040\" AND AVEC 2 >= \"20010\"";
const std::string kTri = " PAR SecteurAbsAidant PAR NomAidant PAR PrenomAidant PAR DebAbsAidant";
const std::string kArret = " AVEC NumMotifAidant <= \"6\" OR = \"29\" OR = \"30\"";
const std::string kConges = " NumMotifAidant >= \"12\" AND <= \"17\" OR = \"23\"";
const std::string kCongesFin = " OR=\"26\" OR=\"27\" OR=\"28\" OR=\"31\"";
const std::string kAutres = " NumMotifAidant >= \"7\" AND <= \"11\" OR = \"24\" OR = \"32\" OR >= \"50\"";

Criteres Avec(const std::function<void(Criteres&)>& change) {
  Criteres c;
  c.codeSecteur = "001";
  change(c);
  return c;
}

TEST(Requete, WholeQueryTextForEachCriterion) {
  const std::tuple<const char*, std::function<void(Criteres&)>, std::string> cas[] = {
      {"sick leave", [](Criteres& c) { c.arretTravail = 1; }, kArret + kParts + kTri},
      {"leave, first block writes OR= without blanks", [](Criteres& c) { c.conges = 1; },
       " AVEC" + kConges + " OR=\"25\"" + kCongesFin + kParts + kTri},
      {"other", [](Criteres& c) { c.autres = 1; }, " AVEC" + kAutres + kParts + kTri},
      {"each type with a reason selects it alone", [](Criteres& c) { c.conges = 1, c.motif = 3; },
       " AVEC NumMotifAidant = \"3\"" + kParts + kTri},
      {"to validate alone also takes attribute 28, whatever the reason", [](Criteres& c) { c.aValider = 1, c.motif = 15; },
       " AVEC NumMotifAidant = \"22\"" + kParts + " OR AVEC 28 = \"1\"" + kParts + kTri},
      {"all four, each block with its conditions and the return date",
       [](Criteres& c) { c.arretTravail = c.conges = c.autres = c.aValider = 1, c.pasDateReprise = true; },
       kArret + kParts + " AND AVEC 10 = \"\" OR AVEC" + kConges + " OR = \"25\"" + kCongesFin + kParts +
           " AND AVEC 10 = \"\" OR AVEC" + kAutres + kParts + " AND AVEC 10 = \"\" OR AVEC NumMotifAidant = \"22\"" +
           kParts + " AND AVEC 10 = \"\"" + kTri},
      {"later blocks open with OR", [](Criteres& c) { c.conges = c.autres = 1, c.motif = 52; },
       " AVEC NumMotifAidant = \"52\"" + kParts + " OR AVEC NumMotifAidant = \"52\"" + kParts + kTri},
      {"a grayed box is no type", [](Criteres& c) { c.arretTravail = 2, c.autres = 1; }, " AVEC" + kAutres + kParts + kTri},
      {"commune, sorted by start",
       [](Criteres& c) {
         c.arretTravail = 1, c.aidants = control::ModeAidants::Commune, c.codeSecteur = "42000";
         c.nomCommune = "SAINT-ÉTIENNE", c.tri = control::Tri::Debut;
       },
       kArret + " AND AVEC CommuneAbsAidant = \"SAINT-ÉTIENNE\"" + kPeriode +
           " PAR CommuneAbsAidant PAR DebAbsAidant PAR NomAidant PAR PrenomAidant PAR DebAbsAidant"},
      {"every carer", [](Criteres& c) { c.arretTravail = 1, c.aidants = control::ModeAidants::Tous, c.codeSecteur = ""; },
       kArret + kPeriode + " PAR NomAidant PAR PrenomAidant PAR DebAbsAidant"},
      {"sector mode without a code still groups by sector", [](Criteres& c) { c.arretTravail = 1, c.codeSecteur = ""; },
       kArret + kPeriode + kTri},
      {"first day in the period, sorted by end",
       [](Criteres& c) { c.arretTravail = 1, c.periode = ModePeriode::DebutDansPeriode, c.tri = control::Tri::Fin; },
       kArret + " AND AVEC CodeSectAbs = \"001\" AND AVEC DebAbsAidant >= \"20010\" AND AVEC DebAbsAidant <= \"20040\"" +
           " PAR SecteurAbsAidant PAR 2 PAR NomAidant PAR PrenomAidant PAR DebAbsAidant"},
      {"last day in the period, planning",
       [](Criteres& c) { c.arretTravail = 1, c.periode = ModePeriode::FinDansPeriode, c.sortie = control::Sortie::Planning; },
       kArret + " AND AVEC CodeSectAbs = \"001\" AND AVEC 2 >= \"20010\" AND AVEC 2 <= \"20040\"" +
           " PAR SecteurAbsAidant PAR DebAbsAidant"},
      {"no period option", [](Criteres& c) { c.arretTravail = 1, c.periode = ModePeriode::Aucune, c.pasDateReprise = true; },
       kArret + " AND AVEC CodeSectAbs = \"001\" AND AVEC 10 = \"\"" + kTri},
      {"letters sort by name whatever the options",
       [](Criteres& c) { c.arretTravail = 1, c.tri = control::Tri::Fin, c.sortie = control::Sortie::Lettres; },
       kArret + kParts + " PAR NomAidant PAR PrenomAidant PAR @ID"},
      {"no type", [](Criteres&) {}, kTri},
  };
  for (const auto& [quoi, criteres, attendu] : cas) {
    EXPECT_EQ(control::RequeteAbsences(Avec(criteres), 20010, 20040), "SSELECT ABSENCESAIDANT" + attendu) << quoi;
  }
  EXPECT_THROW(control::RequeteAbsences(Avec([](Criteres& c) { c.arretTravail = 1, c.codeSecteur = "00]"; }), 1, 2),
               std::invalid_argument);
}

TEST(Requete, QuerySyntaxInAValueIsNamed) {
  const std::pair<std::string, std::string> cas[] = {
      {"00]", "le caractère ] (crochet) en fin de valeur"}, {"a\"b", "le caractère \" (guillemet)"},
      {"a\xFD", "une marque d'enregistrement"},               {"a\tb", "un caractère de contrôle"},
      {"0]1", ""}, {"SAINT-ÉTIENNE", ""}};
  for (const auto& [valeur, syntaxe] : cas) {
    EXPECT_EQ(control::SyntaxeDansValeur(valeur).value_or(QString()), QString::fromStdString(syntaxe)) << valeur;
  }
  EXPECT_EQ(control::SansSyntaxe("L\"Y\tON]]"), "LYON");
}

// Contract days are read as the digits they begin with, as always.
TEST(Requete, StoredDays) {
  const std::pair<const char*, std::int32_t> cas[] = {{"20010", 20010}, {" 20010x", 20010}, {"-3", -3}, {"+7", 7},
                                                      {"", 0},          {"-", 0},            {"x1", 0}, {"12.9", 12},
                                                      {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN}};
  for (const auto& [texte, jour] : cas) EXPECT_EQ(control::JourStocke(texte), jour) << texte;
}

// The filters on a few absences of carer 00001 over 20010..20040; entity
// "001" typed, "009" the default one.
class Filtres : public ::testing::Test {
 protected:
  void Contrat(const std::string& key, const std::string& kind, const std::string& entity, const std::string& start,
               const std::string& end, const std::string& excluded = "") {
    base.Write("CONTRAT", key, {{1, {kind}}, {2, {entity}}, {7, {start}}, {8, {end}}, {65, {excluded}}});
  }
  /// The rows of these keys after the filter; each row as "key|col2|col3|col4|col6|col7".
  std::vector<std::string> Filtrer(const std::vector<std::string>& keys, bool prest, bool mandat,
                                   const std::string& entite = "001", const std::string& defaut = "009",
                                   bool portions = false) {
    std::string text;  // a row a key: start half-day 1, last day 20020, end half-day 2, observation
    for (const std::string& key : keys) {
      text += (text.empty() ? "" : "\xFE") + key + "\xFD" "1\xFD" "20020\xFD" "2\xFD" "obs";
    }
    mvdb::DynArray rows(text);
    control::MemoriserClesAbsences(rows);
    const control::FiltreEntite f{entite, defaut, prest, mandat, 20010, 20040};
    const control::SourcesFiltre sources{base.db(), files.absences, files.contrats, absence, contrat};
    portions ? control::AppliquerPortions(rows, f, sources) : control::FiltrerParContrat(rows, f, sources);
    std::vector<std::string> out;
    for (int r = 1; r <= rows.DCount(); ++r) {
      EXPECT_EQ(rows.Item(r, 5), "obs");
      out.push_back(rows.Item(r, 1) + "|" + rows.Item(r, 2) + "|" + rows.Item(r, 3) + "|" + rows.Item(r, 4) + "|" +
                    rows.Item(r, 6) + "|" + rows.Item(r, 7) + (rows.Item(r, 8) == rows.Item(r, 1) ? "" : " was " + rows.Item(r, 8)));
    }
    return out;
  }
  std::string Absence(const std::string& key, std::vector<std::string> contrats, const std::string& activite = "") {
    base.Write("ABSENCESAIDANT", key, {{17, contrats}, {47, {activite}}});
    return key;
  }

  Base base;
  control::Fichiers files = base.Files();
  mvdb::DynArray absence, contrat;
};

TEST_F(Filtres, ListedContractsOfSickLeaveTheLastFittingOneWins) {
  Contrat("00001001", "01", "001", "19000", "");
  Contrat("00001002", "01", "001", "19000", "20500");
  Contrat("00001003", "02", "001", "19000", "");
  Contrat("00001004", "01", "001", "20040", "");           // starts on the period's last day
  Contrat("00001005", "01", "001", "19000", "20009");      // ended the day before
  Contrat("00001006", "01", "001", "20041", "");           // starts after
  Contrat("00001007", "01", "001", "19000", "", "X");      // excluded by attribute 65
  Contrat("00001008", "01", "002", "19000", "");           // another entity
  const auto deux = Absence("000010220015", {"00001001", "00001002"});
  const auto agent = Absence("000010520016", {"00001003"});
  const auto bornes = Absence("000010120017", {"00001005", "00001006", "00001007", "00009999", "00001004"});
  const auto ailleurs = Absence("000010120018", {"00001008"});
  const std::string sans = "000020220015", sans03 = "000020320015";  // no absence record: the row stays as it is
  const auto tous = std::vector<std::string>{deux, agent, sans03, bornes, ailleurs, sans};

  EXPECT_EQ(Filtrer(tous, true, false),
            (std::vector<std::string>{deux + "|1|20020|2|00001002|", sans03 + "|1|20020|2||",
                                      bornes + "|1|20020|2|00001004|", sans + "|1|20020|2||"}));
  EXPECT_EQ(contrat.BoundKey(), "00001002");  // rows walked from the last: the last contract read stays current
  EXPECT_EQ(Filtrer(tous, false, true), (std::vector<std::string>{agent + "|1|20020|2|00001003|",
                                                                  sans03 + "|1|20020|2||", sans + "|1|20020|2||"}));
  // Both types: an agent-mode contract counts but its key is not written.
  EXPECT_EQ(Filtrer({deux, agent}, true, true),
            (std::vector<std::string>{deux + "|1|20020|2|00001002|", agent + "|1|20020|2||"}));
  EXPECT_TRUE(Filtrer({deux, agent}, false, false).empty());
  // The default entity shown: every entity counts; no default: the filter always applies.
  EXPECT_EQ(Filtrer({ailleurs}, true, false, "009"), std::vector<std::string>{ailleurs + "|1|20020|2|00001008|"});
  EXPECT_TRUE(Filtrer({ailleurs}, true, false, "", "").empty());
}

TEST_F(Filtres, OtherReasonsReadTheCarersContracts) {
  Contrat("00001001", "01", "001", "19000", "");
  Contrat("00001002", "01", "001", "19500", "20100");
  Contrat("00001003", "02", "001", "19000", "");
  Contrat("00001004", "01", "002", "19000", "");
  Contrat("00003001", "01", "001", "19000", "20000");  // carer 3: ended before the period
  std::vector<std::string> keys;
  for (int day = 20010; day < 20013; ++day) keys.push_back(Absence("0000115" + std::to_string(day), {}));
  keys.push_back(Absence("000031520020", {}));
  const auto partiel = Absence("000011320020", {}, "5000");  // reason 13: the percentage whatever the contract
  keys.push_back(partiel);
  EXPECT_EQ(Filtrer(keys, true, false),
            (std::vector<std::string>{keys[0] + "|1|20020|2|00001002|", keys[1] + "|1|20020|2|00001002|",
                                      keys[2] + "|1|20020|2|00001002|", partiel + "|1|20020|2|00001002|5000"}));
  // "Mandataire" only, one carer, asked alone: an agent-mode contract exists,
  // the row stays, column 6 untouched.
  EXPECT_EQ(Filtrer({keys[0]}, false, true), std::vector<std::string>{keys[0] + "|1|20020|2||"});
  EXPECT_EQ(base.Requetes().back().rfind("SSELECT CONTRAT AVEC CodeAidant = \"00001\" AND AVEC 65", 0), 0u);
}

// Carers asked at once find the contracts each carer's own query finds:
// numbers compare as numbers, other codes as text; a code ending in "]"
// begins a prefix test, one with a quote fails its query (the row stays).
TEST_F(Filtres, CarersAskedAtOnceFindWhatEachCarersQueryFinds) {
  const char* contrats[] = {"00007001", "7", "+0007002", "7.000", "-0007001", "0007A001", "00 07001",
                            "ABCDE001", "abcde001", "\xC3\xA9" "0001"};
  for (const char* cle : contrats) Contrat(cle, "01", "001", "19000", "");
  const char* aidants[] = {"00007", "7.000", "-0007", "0007A", "00 07", "ABCDE", "0000]",
                           "00\"07", "\xC3\xA9" "0", "00008", "7    "};
  std::vector<std::string> keys, seuls;
  for (const char* aidant : aidants) {
    keys.push_back(Absence(aidant + std::string("1520020"), {}));
    for (const std::string& ligne : Filtrer({keys.back()}, true, false)) seuls.push_back(ligne);
  }
  EXPECT_EQ(Filtrer(keys, true, false), seuls);
  std::string trouves;  // carer > column 6
  for (const std::string& ligne : seuls) trouves += ligne.substr(0, 5) + ">" + ligne.substr(23) + " ";
  EXPECT_EQ(trouves, "00007>7.000| 7.000>7.000| -0007>-0007001| 0007A>0007A001| 00 07>00 07001| ABCDE>ABCDE001| "
                     "0000]>00007001| 00\"07>| ");
}

TEST_F(Filtres, PortionsRewriteTheRowFromTheLastFittingOne) {
  Contrat("00001001", "01", "001", "19000", "");  // service provider
  Contrat("00001002", "02", "001", "19000", "");  // agent mode
  Contrat("00001003", "01", "002", "19000", "");  // another entity
  // Portions: applies, start, start half, end, end half, contract.
  const auto Absence = [&](const std::string& key, const std::vector<std::vector<std::string>>& portions) {
    std::vector<Attr> attrs;
    for (int a = 21; a <= 26; ++a) attrs.push_back({a, {}});
    for (const auto& p : portions) {
      for (int a = 0; a < 6; ++a) attrs[a].values.push_back(p[a]);
    }
    base.Write("ABSENCESAIDANT", key, attrs);
    return key;
  };
  const std::vector<std::string> prest{"O", "20010", "M", "20012", "M", "00001001"};
  const std::vector<std::string> mandat{"O", "20013", "A", "20015", "S", "00001002"};
  auto second = prest;
  second[1] = "20020";
  const auto deux = Absence("000010220005", {prest, mandat, second});
  auto nonApplique = prest, autreEntite = prest, absent = prest;
  nonApplique[0] = "N";
  autreEntite[5] = "00001003";
  absent[5] = "00001999";
  const auto aucune = Absence("000010220006", {nonApplique, autreEntite, absent, mandat});
  const std::string sansPortion = "000020220005";  // no portions, or no record: unchanged
  const auto keys = std::vector<std::string>{deux, aucune, sansPortion};

  EXPECT_EQ(Filtrer(keys, true, false, "001", "009", true),
            (std::vector<std::string>{"000010220020|1|20012|1|| was " + deux, sansPortion + std::string("|1|20020|2||")}));
  EXPECT_EQ(Filtrer({deux}, false, true, "001", "009", true),
            std::vector<std::string>{"000010220013|2|20015|2|| was " + deux});  // any marker but "M" is the afternoon
  EXPECT_EQ(Filtrer({aucune}, true, false, "009", "009", true),
            std::vector<std::string>{"000010220010|1|20012|1|| was " + aucune});  // the default entity: any entity fits
  EXPECT_EQ(Filtrer(keys, true, true, "001", "009", true).size(), 3u);  // both types: rows as they are
}

// The filters' record view reads a text as a DynArray does, marks at the edges included.
TEST(Selection, RecordViewReadsAsADynArray) {
  for (const std::string text : {"", "a", "\xFE", "\xFE\xFE", "a\xFE" "b", "a\xFD" "b\xFD", "\xFDx\xFCy\xFDz\xFEq\xFE"}) {
    control::VueEnregistrement vue;
    vue.Charger(text);
    const mvdb::DynArray array(text);
    for (const int i : {2, 0, 4, 1, 3}) {  // attributes are found as far as a read needs them
      EXPECT_EQ(vue.Attribut(i), array.Item(i)) << i;
      EXPECT_EQ(vue.NombreValeurs(i), array.DCount(i)) << i;
      for (int j = 0; j <= 4; ++j) EXPECT_EQ(vue.Valeur(i, j), array.Item(i, j)) << i << "," << j;
    }
  }
}

// Every variant is a query the database runs; the selection completes the
// rows from the absence records and keeps each key in column 8.
TEST(Selection, EveryVariantRunsAndTheRowsAreCompleted) {
  Base base;
  base.Write("CIVILAIDANT", "00001", {{2, {"DURAND"}}, {11, {"LYON"}}, {31, {"001"}}});
  base.Write("ABSENCESAIDANT", "000010220015", {{1, {"1"}}, {2, {"20020"}}, {3, {"2"}}, {17, {"C1"}}, {47, {"5000"}}});
  base.Write("ABSENCESAIDANT", "000011520030", {{1, {"1"}}, {2, {"20035"}}, {3, {"2"}}, {10, {"20036"}}, {17, {"C1", "C2"}}});
  base.Write("ABSENCESAIDANT", "000014520030", {{1, {"1"}}, {2, {"20035"}}, {3, {"2"}}, {28, {"1"}}});
  for (int types = 1; types < 16; ++types) {
    const Criteres c = Avec([&](Criteres& c) {
      c.arretTravail = types & 1, c.conges = (types & 2) != 0, c.autres = (types & 4) != 0, c.aValider = (types & 8) != 0;
      c.periode = types % 3 == 0 ? ModePeriode::FinDansPeriode : ModePeriode::DansPeriode;
      c.pasDateReprise = types == 3;
      c.tri = types % 2 == 0 ? control::Tri::Fin : control::Tri::Alphabetique;
    });
    long count = 0;
    EXPECT_NO_THROW(control::SelectionAbsences(c, {20010, 20040}, {}, "001", base.Files()).Selectionner(count)) << types;
  }
  control::SelectionAbsences selection(Avec([](Criteres& c) { c.arretTravail = c.conges = c.aValider = 1; }),
                                       {20010, 20040}, {}, "001", base.Files());
  long count = 0;
  mvdb::DynArray rows = selection.Selectionner(count);
  selection.Completer_Selection(rows);
  EXPECT_EQ(rows.Text(), mvdb::DynArray("000010220015\xFD" "1\xFD" "20020\xFD" "2\xFD\xFD" "C1\xFD" "5000\xFD" "000010220015\xFE"
                                        "000011520030\xFD" "1\xFD" "20035\xFD" "2\xFD\xFD\xFD\xFD" "000011520030").Text());
  // "A valider" with other types takes reason 22 only, not every absence to validate.
}

}  // namespace
}  // namespace morvane::testing
