// The letters without the form: which contracts get a letter, a whole
// letter as printed, the signature, failures inside a letter, and the
// merge's keys. (The sector rights in both kinds of letters: BatchRights.)

#include "builder.h"
#include "control/lettre_contrats.h"
#include "control/lettre_type.h"

namespace morvane::testing {
namespace {

// Absence keys: carer (5), reason (2), first day (5).
const std::string kA1 = "000011520000", kA2 = "000011520010", kAgent = "000011520020", kManquant = "000011520030",
                  kB1 = "000021520000", kC1 = "000031520000";

class Lettres : public ::testing::Test {
 protected:
  Lettres() {
    base.Write("TABLES", "NATUREVOIE", {{2, {"RUE", "AV"}}, {3, {"Rue", "Avenue"}}});
    base.Write("TABLES", "TITRES", {{2, {"1", "2"}}, {3, {"Monsieur", "Madame"}}});
    base.Write("ASSOCIATION", "010", {{1, {"ADOM LOIRE"}}, {3, {"12"}}, {5, {"AV"}}, {6, {"DE LA LIBÉRATION"}},
                                      {8, {"42000"}}, {9, {"SAINT-ÉTIENNE"}}, {12, {"04 77 00 00 00"}},
                                      {35, {"contact@adom.fr"}}});
    base.Write("ASSOCIATION", "020", {{1, {"AIDE FOREZ"}}, {3, {"1"}}, {5, {"RUE"}}, {6, {"NEUVE"}}, {8, {"42600"}},
                                      {9, {"MONTBRISON"}}, {10, {"1"}}, {11, {"2"}}, {12, {"04 77 11 11 11"}}});
    base.Write("ETABLISSEMENT", "01", {{24, {"05"}}});
    base.Write("CONVENTIONCOL", "01", {{2, {"1"}}, {12, {"0"}}, {13, {"0"}}, {28, {"0"}}, {42, {"1"}}, {76, {"0"}}});
    base.Write("CIVILAIDANT", "00001", {{1, {"2"}}, {2, {"MARTIN"}}, {3, {"Claire"}}, {5, {"3"}}, {7, {"RUE"}},
                                        {8, {"HAUTE"}}, {10, {"42300"}}, {11, {"ROANNE"}}, {31, {"001"}}});
    base.Write("CIVILAIDANT", "00002", {{1, {"9"}}, {2, {"DURAND"}}, {3, {"Paul"}}, {9, {"LE BOURG"}},
                                        {10, {"42600"}}, {11, {"MONTBRISON"}}, {31, {"002"}}});
    base.Write("CIVILAIDANT", "00003", {{1, {"1"}}, {2, {"PETIT"}}, {3, {"Jean"}}, {31, {"001"}}});
    const std::string debut = std::to_string(services::DayNumber(QDate(2015, 9, 1)));
    base.Write("CONTRAT", "00001001", {{1, {"01"}}, {2, {"010"}}, {3, {"01"}}, {7, {debut}}, {39, {"2500"}},
                                       {44, {"2083"}}, {63, {"202405"}},
                                       {97, {std::to_string(services::DayNumber(QDate(2010, 3, 15)))}}});
    base.Write("CONTRAT", "00001002", {{1, {"01"}}, {2, {"020"}}, {3, {"01"}}, {7, {debut}}, {63, {"202404"}}});
    base.Write("CONTRAT", "00001003", {{1, {"02"}}, {2, {"010"}}, {3, {"01"}}, {7, {debut}}});
    base.Write("CONTRAT", "00002001", {{1, {"01"}}, {2, {"010"}}, {3, {"01"}}, {7, {debut}}, {63, {"202405"}}});
    base.Write("CONTRAT", "00003001", {{1, {"01"}}, {2, {"010"}}, {3, {"01"}}, {63, {"ABCDEF"}}});  // no month
    for (const auto& [key, contrats] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {kA1, {"00001001", "00001002"}}, {kA2, {"00001001"}}, {kAgent, {"00001003"}},
             {kManquant, {"00009999"}}, {kB1, {"00002001"}}, {kC1, {"00003001"}}}) {
      base.Write("ABSENCESAIDANT", key, {{1, {"1"}}, {17, contrats}});
    }
  }
  static mvdb::DynArray Rows(const std::vector<std::string>& cles) {
    mvdb::DynArray rows;
    for (std::size_t i = 0; i < cles.size(); ++i) rows.SetItem(static_cast<int>(i) + 1, 1, cles[i]);
    return rows;
  }
  /// One copy of the letter-type letters of these absences.
  void Imprimer(const std::vector<std::string>& cles) {
    const control::Fichiers files = base.Files();
    control::LettresType({files, printer, *droits, [this]() -> services::SignatureControl& { return signature; },
                          QDate(2024, 3, 15), 567, {}, [this](const QImage& image) { montrees.push_back(image.size()); }})
        .Lettre_Type(Rows(cles));
  }
  QString Publier(const std::vector<std::string>& cles) {
    return control::ClesPublipostage(Rows(cles), *droits, base.Files());
  }
  /// The texts of a page, one line each.
  QStringList Textes(int page) {
    QStringList texts;
    for (const auto& op : printer.Texts(page, 1)) texts << op.text;
    return texts;
  }

  Base base;
  services::RecordingPrinter printer{"HP LaserJet"};
  std::shared_ptr<services::DroitsFichier> droits = services::MakeDroits("test", 2)->DroitsFichier("ABSENCESAIDANT");
  SignatureEnregistree signature;
  std::vector<QSize> montrees;
};

TEST_F(Lettres, WhichContractsGetALetter) {
  // The absences, the pages printed and the merge's keys.
  const std::tuple<std::vector<std::string>, int, QString> cas[] = {
      {{kA1}, 2, "00001001|00001002"},                      // one absence on two contracts: two letters
      {{kA2, kA2}, 1, "00001001"},                          // consecutive absences on one contract: one
      {{kA1, kA2}, 3, "00001001|00001002|00001001"},        // a contract met again after another: again
      {{kAgent, kManquant}, 0, ""},                         // agent mode and a missing contract: none
      {{kAgent, kManquant, kA2}, 1, "00001001"},
      {{}, 0, ""},
  };
  int job = 0;
  for (const auto& [absences, pages, cles] : cas) {
    Imprimer(absences);
    if (pages > 0) ++job;
    EXPECT_EQ(pages == 0 ? 0 : printer.PagesOfJob(job), pages) << cles.toStdString();
    printer.EndDoc();
    EXPECT_EQ(Publier(absences), cles);
  }
}

// A letter as printed: the employer's heading, the addressee, the place and
// date, the paid-leave lines, the closing and the signature, every line in
// Courier New 11 (bold where shown), at 1 cm, 4 cm or 11 cm.
TEST_F(Lettres, AWholeLetter) {
  QImage picture(68, 20, QImage::Format_ARGB32);
  picture.fill(Qt::darkBlue);
  const QString path = QString::fromStdString((base.dir() / "signature.png").string());
  ASSERT_TRUE(picture.save(path));
  signature.chemins["010"] = path;
  Imprimer({kA2});
  // Blank lines draw nothing: the employer's empty complement and CEDEX lines
  // (792 to 1320, 1320 to 1848), the addressee's empty third line.
  EXPECT_EQ(printer.Dump(1).join('\n').toStdString(), R"(T 567,528 Courier New 11 b |ADOM LOIRE|
T 567,792 Courier New 11 |12 AVENUE DE LA LIBÉRATION|
T 567,1320 Courier New 11 |42000 SAINT-ÉTIENNE|
T 567,1848 Courier New 11 |Tel : 04 77 00 00 00|
T 567,2112 Courier New 11 |Mail: contact@adom.fr|
T 6237,3432 Courier New 11 b |MADAME MARTIN CLAIRE|
T 6237,3960 Courier New 11 |3  RUE HAUTE|
T 6237,4224 Courier New 11 |42300 ROANNE|
T 6237,5808 Courier New 11 |SAINT-ÉTIENNE, LE 15 MARS 2024|
T 2268,7128 Courier New 11 |MADAME,|
T 567,7920 Courier New 11 |En application de l'article L. 3141-19-3 du code du travail, nous vous|
T 567,8184 Courier New 11 |informons de vos droits à congés payés ainsi que de la date à laquelle|
T 567,8448 Courier New 11 |ils pourront être pris.|
T 567,8976 Courier New 11 b |1 - Congés acquis et non pris :|
T 567,9504 Courier New 11 |25 jours ouvrés de congés payés à prendre avant 31/05/2025.|
T 567,10032 Courier New 11 b |2 - Congés payés en cours d'acquisition :|
T 567,10560 Courier New 11 |18 jours ouvrés acquis sur la période du 01/06/2024 au 30/06/2024|
T 567,11088 Courier New 11 |Veuillez agréer, MADAME, nos salutations distinguées.|
T 6237,12144 Courier New 11 |Nom et signature|
P 5500,12608 3400x1000)");
  EXPECT_EQ(signature.appels, (std::vector<std::string>{"Base", "Client", "CheminSignature(LETTREINFOCP,,010)"}));
  EXPECT_EQ(montrees, (std::vector<QSize>{QSize(0, 0), QSize(68, 20)}));
}

TEST_F(Lettres, HeadingWithCedexUnknownTitleAndALongTown) {
  base.Write("ASSOCIATION", "010", {{1, {"ADOM LOIRE"}}, {9, {"SAINT-PRIEST-EN-JAREZ-LES-BAINS"}}});
  Imprimer({kB1, kA1});
  // A title missing from "TITRES" prints as its code; no address
  // complement: the postcode and town move up.
  EXPECT_EQ(Textes(1).mid(0, 9), QStringList({"ADOM LOIRE", "SAINT-PRIEST-EN-JAREZ-LES-BAINS", "Tel : ", "Mail: ",
                                              "9 DURAND PAUL", "LE BOURG", "42600 MONTBRISON",
                                              "SAINT-PRIEST-EN-JAREZ-LES-BAINS, LE 15 MARS 2024", "9,"}));
  EXPECT_EQ(Textes(3).mid(0, 6), QStringList({"AIDE FOREZ", "1 RUE NEUVE", "42600 MONTBRISON", "CEDEX 2",
                                              "Tel : 04 77 11 11 11", "Mail: "}));
  EXPECT_EQ(printer.Texts(3, 1)[4].y, printer.Texts(1, 1)[0].y + 5 * 264);  // CEDEX or not, the telephone stays
  // The place and date line too long for 11 cm ends at the printable area's right edge, whole.
  const auto line = printer.Texts(1, 1)[7];
  EXPECT_EQ(line.x + printer.TextWidth(line.text), printer.ScaleWidth());
}

// A failure inside a letter ends that letter only: a picture that cannot be
// loaded, a reference month that is no month; the run goes on.
TEST_F(Lettres, AFailureEndsThatLetterOnly) {
  signature.chemins["020"] = "/nonexistent/signature.png";
  Imprimer({kC1, kA1, kB1});
  ASSERT_EQ(printer.PagesOfJob(1), 4);
  EXPECT_TRUE(Textes(1).contains("1 - Congés acquis et non pris :"));
  EXPECT_FALSE(Textes(1).contains("Nom et signature"));
  for (int page = 2; page <= 4; ++page) EXPECT_EQ(Textes(page).back(), "Nom et signature") << page;
  for (const auto& op : printer.Ops()) EXPECT_NE(op.kind, services::PrintOp::Kind::Picture);
}

}  // namespace
}  // namespace morvane::testing
