// Ctr_Brinel: the letter model, the merge fields of a contract, and the
// merged OpenDocument text and PDF.

#include <QImage>

#include "mvdb/engine_test_support.h"
#include "services/editor_control.h"
#include "services/outils_date.h"
#include "services/signature_control.h"
#include "support/pdf_text.h"

namespace morvane::services {
namespace {

using Attributs = std::initializer_list<std::pair<int, std::vector<std::string>>>;

std::string Jour(int annee, int mois, int jour) { return std::to_string(DayNumber(QDate(annee, mois, jour))); }

std::string Sortie(const std::string& commande) {
  std::string texte;
  if (FILE* p = ::popen(commande.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) texte.append(buffer, n);
    ::pclose(p);
  }
  return texte;
}

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = mvdb::Database::Create(dir_ / "letters.mvdb");
    for (const char* f : {"TABLES", "CONTRAT", "CIVILAIDANT", "ASSOCIATION", "ETABLISSEMENT", "CONVENTIONCOL",
                          kFichierModeles}) {
      db_->CreateFile(f);
    }
    Write("TABLES", "TITRES", {{2, {"1", "2"}}, {3, {"Monsieur", "Madame"}}});
    Write("TABLES", "NATUREVOIE", {{2, {"RUE"}}, {3, {"Rue"}}});
    Write("ASSOCIATION", "010", {{1, {"ADOM LOIRE"}}, {9, {"SAINT-ÉTIENNE"}}, {10, {"1"}}, {11, {"2"}}});
    Write("ASSOCIATION", "020", {{1, {"AIDE FOREZ"}}, {9, {"MONTBRISON"}}});
    Write("ETABLISSEMENT", "01", {{24, {"05"}}});
    Write("CONVENTIONCOL", "01", {{2, {"1"}}, {28, {"0"}}});
    Write("CIVILAIDANT", "00001", {{1, {"2"}}, {2, {"MARTIN"}}, {3, {"Claire"}}, {5, {"3"}}, {7, {"RUE"}},
                                   {8, {"HAUTE"}}, {10, {"42000"}}, {11, {"ROANNE"}}});
    Write("CIVILAIDANT", "00002", {{1, {"1"}}, {2, {"DURAND"}}, {3, {"Paul"}}});
    Write("CONTRAT", "00001001", {{1, {"01"}}, {2, {"010"}}, {3, {"01"}}, {39, {"2500"}}, {44, {"2100"}},
                                  {63, {"202405"}}, {97, {Jour(2010, 3, 15)}}});
    Write("CONTRAT", "00002001", {{1, {"01"}}, {2, {"020"}}, {3, {"01"}}, {63, {"202404"}}});
    Write(kFichierModeles, "LETTREINFOCP00000000",
          {{1, {"Lettre d'essai"}},
           {2, {"{{DESTINATAIRE}}", "{{ADRESSE1}} / {{ADRESSE2}}", "{{LIEU}}, LE {{DATE}}", "{{TITRE}},",
                "{{LIGNES_CP}}", "{{LIGNE_EN_COURS}}", "{{SIGNATURE}}", "Fin {{INCONNU}}"}},
           {3, {"DG", "D", "D", "", "", "", "D", ""}}});
  }

  void Write(const std::string& file, const std::string& key, Attributs attrs) {
    mvdb::DynArray record = db_->DBOpen(file).DBNew(key);
    for (const auto& [number, values] : attrs) {
      for (std::size_t v = 0; v < values.size(); ++v) record.SetItem(number, static_cast<int>(v) + 1, values[v]);
    }
    record.DBWrite();
  }

  /// Runs the editor as the control does; returns its answer.
  QString Executer(MailMergeEditor& editeur, QString cles) {
    editeur.SetBase(db_.get());
    editeur.SetCleModele(QStringLiteral("LETTREINFOCP00000000"));
    editeur.SetListeCles(cles);
    QString retour;
    editeur.SetRetour(retour);
    editeur.Executer();
    return retour;
  }

  /// The text of content.xml of an OpenDocument file.
  static QString Contenu(const std::filesystem::path& odt) {
    return QString::fromStdString(Sortie("unzip -p '" + odt.string() + "' content.xml"));
  }

  MailMergeEditor Editeur() { return MailMergeEditor(dir_ / "sortie", [] { return QDate(2025, 2, 15); }); }

  mvdb::testing_support::ScratchDir dir_;  // outlives the database
  std::unique_ptr<mvdb::Database> db_;
};

TEST_F(EditorTest, FieldsOfAContractAreThoseOfThePrintedLetter) {
  const TablesCodes tables{db_->DBOpen("TABLES").DBRead("NATUREVOIE"), db_->DBOpen("TABLES").DBRead("TITRES")};
  const auto champs = ChampsDuContrat(*db_, "00001001", tables, QDate(2025, 2, 15));
  EXPECT_EQ(champs.at("DESTINATAIRE"), QStringList{"MADAME MARTIN CLAIRE"});
  EXPECT_EQ(champs.at("ADRESSE1"), QStringList{"3  RUE HAUTE"});
  EXPECT_EQ(champs.at("ADRESSE2"), QStringList{"42000 ROANNE"});
  EXPECT_EQ(champs.at("EMPLOYEUR_CEDEX"), QStringList{"CEDEX 2"});
  EXPECT_EQ(champs.at("DATE"), QStringList{"15 FÉVRIER 2025"});
  EXPECT_EQ(champs.at("FIN_ACQUISITION"), QStringList{"30/06/2024"});
  EXPECT_EQ(champs.at("LIGNES_CP"), QStringList{"25 jours ouvrés de congés payés à prendre avant 31/05/2025."});
  EXPECT_EQ(champs.at("LIGNE_EN_COURS"),
            QStringList{"18 jours ouvrés acquis sur la période du 01/06/2024 au 30/06/2024"});
  EXPECT_EQ(champs.at("FORMULE"), QStringList{"Veuillez agréer, MADAME, nos salutations distinguées."});
  EXPECT_THROW(ChampsDuContrat(*db_, "00009001", tables, QDate(2025, 2, 15)), mvdb::DbError);
}

TEST_F(EditorTest, OneLetterPerListedKeyInOneOdtAndOnePdf) {
  // A signature for entity 010 only.
  db_->CreateFile(kFichierSignatures, mvdb::FileKind::kDirectory);
  const auto dossier = DossierFichierRepertoire(*db_, kFichierSignatures);
  std::filesystem::create_directories(dossier);
  QImage signature(68, 20, QImage::Format_ARGB32);
  signature.fill(Qt::darkBlue);
  ASSERT_TRUE(signature.save(QString::fromStdString((dossier / "LETTREINFOCP_010.png").string())));

  MailMergeEditor editeur = Editeur();
  const QString retour = Executer(editeur, QStringLiteral("00001001|00002001|00001001"));
  EXPECT_EQ(editeur.DernierNombreDeLettres(), 3);
  ASSERT_TRUE(std::filesystem::exists(editeur.DernierOdt()));
  ASSERT_TRUE(std::filesystem::exists(editeur.DernierPdf()));
  EXPECT_TRUE(retour.startsWith(QString::fromStdString(editeur.DernierOdt().string()) + QLatin1Char('|')));

  // The second carer's contract has no leave figure: no section-1 line; the
  // two letters of entity 010 carry its signature picture, 020 has none.
  const QString contenu = Contenu(editeur.DernierOdt());
  std::vector<int> vus;
  for (const char* texte : {"MADAME MARTIN CLAIRE", "MONSIEUR DURAND PAUL", "SAINT-ÉTIENNE, LE 15 FÉVRIER 2025",
                            "Fin {{INCONNU}}", "congés payés à prendre avant", "<draw:image"}) {
    vus.push_back(static_cast<int>(contenu.count(QString::fromUtf8(texte))));
  }
  EXPECT_EQ(vus, (std::vector<int>{2, 1, 2, 3, 2, 2}));

  EXPECT_EQ(morvane::testing::PdfPages(editeur.DernierPdf()), 3);
}

TEST_F(EditorTest, UnreadableKeysAreLeftOutAndAnEmptyListWritesNothing) {
  MailMergeEditor editeur = Editeur();
  const QString retour = Executer(editeur, QStringLiteral("00001001|00009001"));
  EXPECT_EQ(editeur.DernierNombreDeLettres(), 1);
  EXPECT_TRUE(retour.contains(QStringLiteral("00009001 : lettre omise")));

  MailMergeEditor vide = Editeur();
  EXPECT_EQ(Executer(vide, QString()), "Aucun contrat à fusionner.");
  EXPECT_TRUE(vide.DernierOdt().empty());

  MailMergeEditor sansModele = Editeur();
  sansModele.SetBase(db_.get());
  sansModele.SetCleModele(QStringLiteral("AUTRE00000000"));
  EXPECT_THROW(sansModele.Executer(), mvdb::DbError);
  MailMergeEditor sansBase = Editeur();
  EXPECT_THROW(sansBase.Executer(), std::logic_error);
}

}  // namespace
}  // namespace morvane::services
