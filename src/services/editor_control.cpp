#include "services/editor_control.h"

#include <QFont>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentWriter>
#include <QTextImageFormat>
#include <QUrl>
#include <stdexcept>
#include <system_error>

#include "mvdb/database.h"
#include "services/lettre_cp.h"
#include "services/lettre_entete.h"
#include "services/output_file.h"
#include "services/signature_control.h"
#include "services/ui_services.h"

namespace morvane::services {
namespace {

// Document units are pixels of 96 to the inch (what the OpenDocument writer
// converts to points); the PDF is scaled from them.
constexpr double kPixelsParCm = 96 / 2.54;
constexpr double kLargeurA4 = 21.0 * kPixelsParCm;
constexpr double kHauteurA4 = 29.7 * kPixelsParCm;
constexpr double kMarge = 2.0 * kPixelsParCm;
constexpr double kRetraitBlocDroit = 9.0 * kPixelsParCm;  // the right-hand block starts 11 cm from the edge
// The signature picture: 3400 x 1000 twips, as on the printed letter.
constexpr double kSignatureLargeur = 3400.0 / 1440 * 96;
constexpr double kSignatureHauteur = 1000.0 / 1440 * 96;

const QRegularExpression& ExpressionChamp() {
  static const QRegularExpression champ(QStringLiteral("\\{\\{([A-Z0-9_]+)\\}\\}"));
  return champ;
}

QString Attribut(const mvdb::DynArray& record, int attribut) { return QString::fromStdString(record.Item(attribut)); }

mvdb::DynArray LireOuVide(mvdb::Database& db, const char* cle) {
  try {
    return db.DBOpen("TABLES").DBRead(cle);
  } catch (const mvdb::DbError&) {
    return {};
  }
}

// The files a merge reads, opened once for all its letters.
struct Fichiers {
  mvdb::DbFile contrat, civil, association, etablissement, convention;
  explicit Fichiers(mvdb::Database& db)
      : contrat(db.DBOpen("CONTRAT")),
        civil(db.DBOpen("CIVILAIDANT")),
        association(db.DBOpen("ASSOCIATION")),
        etablissement(db.DBOpen("ETABLISSEMENT")),
        convention(db.DBOpen("CONVENTIONCOL")) {}
};

ChampsFusion Champs(const Fichiers& f, const std::string& cleContrat, const TablesCodes& tables,
                    const QDate& aujourdhui, QString* avertissement, std::string* entite = nullptr) {
  const mvdb::DynArray contrat = f.contrat.DBRead(cleContrat);
  if (entite) *entite = contrat.Item(2);
  mvdb::DynArray civil = f.civil.DBRead(cleContrat.substr(0, 5));
  mvdb::DynArray association = f.association.DBRead(contrat.Item(2));
  const mvdb::DynArray etablissement = f.etablissement.DBRead(contrat.Item(3));
  const mvdb::DynArray convention = f.convention.DBRead(contrat.Item(1));

  lettre::RemplacerCode(association, 5, tables.natureVoie);
  lettre::RemplacerCode(civil, 1, tables.titres);
  lettre::RemplacerCode(civil, 7, tables.natureVoie);
  const auto employeur = lettre::Employeur(association);
  const auto destinataire = lettre::DestinataireDe(civil);

  ChampsFusion c;
  c[QStringLiteral("CONTRAT")] = {QString::fromStdString(cleContrat)};
  c[QStringLiteral("TITRE")] = {destinataire.titre};
  c[QStringLiteral("NOM")] = {Attribut(civil, 2)};
  c[QStringLiteral("PRENOM")] = {Attribut(civil, 3)};
  c[QStringLiteral("DESTINATAIRE")] = {destinataire.nom};
  c[QStringLiteral("ADRESSE1")] = {destinataire.adresse[0]};
  c[QStringLiteral("ADRESSE2")] = {destinataire.adresse[1]};
  c[QStringLiteral("ADRESSE3")] = {destinataire.adresse[2]};
  c[QStringLiteral("EMPLOYEUR")] = {employeur.nom};
  c[QStringLiteral("EMPLOYEUR_RUE")] = {employeur.rue};
  c[QStringLiteral("EMPLOYEUR_COMPLEMENT")] = {employeur.complement};
  c[QStringLiteral("EMPLOYEUR_VILLE")] = {employeur.ville};
  c[QStringLiteral("EMPLOYEUR_CEDEX")] = {employeur.cedex};
  c[QStringLiteral("EMPLOYEUR_TEL")] = {Attribut(association, 12)};
  c[QStringLiteral("EMPLOYEUR_MAIL")] = {Attribut(association, 35)};
  c[QStringLiteral("LIEU")] = {Attribut(association, 9)};
  c[QStringLiteral("DATE")] = {lettre::DateEnLettres(aujourdhui)};
  c[QStringLiteral("FORMULE")] = {conges::FormuleDePolitesse(destinataire.titre)};

  const QString conge[] = {QStringLiteral("DEBUT_PERIODE"),       QStringLiteral("ECHEANCE_CP"),
                           QStringLiteral("FIN_ACQUISITION"),     QStringLiteral("ECHEANCE_ANCIENNETE"),
                           QStringLiteral("ECHEANCE_PREVENANCE"), QStringLiteral("JOURS_EN_COURS"),
                           QStringLiteral("LIGNE_EN_COURS")};
  for (const QString& nom : conge) c[nom] = {QString()};
  c[QStringLiteral("LIGNES_CP")] = {};
  try {
    const auto l = conges::CalculerConges(contrat, convention, etablissement);
    c[QStringLiteral("DEBUT_PERIODE")] = {l.periode.debut};
    c[QStringLiteral("ECHEANCE_CP")] = {l.periode.echeance};
    c[QStringLiteral("FIN_ACQUISITION")] = {conges::TexteDate(l.finAcquisition)};
    c[QStringLiteral("ECHEANCE_ANCIENNETE")] = {l.echeanceAnciennete};
    c[QStringLiteral("ECHEANCE_PREVENANCE")] = {conges::TexteDate(l.echeancePrevenance)};
    c[QStringLiteral("JOURS_EN_COURS")] = {l.joursEnCours};
    c[QStringLiteral("LIGNES_CP")] = l.lignesAcquises;
    c[QStringLiteral("LIGNE_EN_COURS")] = {l.ligneEnCours};
  } catch (const conges::ErreurConges& e) {
    if (avertissement) *avertissement = QString::fromStdString(e.what());
  }
  return c;
}

// Appends one paragraph to the document, starting a new page when asked.
void AjouterParagraphe(QTextCursor& curseur, bool& premier, const ParagrapheModele& p, bool nouvellePage,
                       const QString& image) {
  QTextBlockFormat bloc;
  if (nouvellePage) bloc.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
  if (p.style.contains(QLatin1Char('D'))) bloc.setLeftMargin(kRetraitBlocDroit);
  QTextCharFormat caracteres;
  caracteres.setFontWeight(p.style.contains(QLatin1Char('G')) ? QFont::Bold : QFont::Normal);
  if (premier) {
    curseur.setBlockFormat(bloc);
    curseur.setBlockCharFormat(caracteres);
    premier = false;
  } else {
    curseur.insertBlock(bloc, caracteres);
  }
  if (p.signature) {
    if (image.isEmpty()) return;
    QTextImageFormat format;
    format.setName(image);
    format.setWidth(kSignatureLargeur);
    format.setHeight(kSignatureHauteur);
    curseur.insertImage(format);
  } else {
    curseur.insertText(p.texte, caracteres);
  }
}

// Writes both files whole; each replaces its earlier version only when complete.
void Ecrire(const QTextDocument& document, const std::filesystem::path& odt, const std::filesystem::path& pdf,
            const QString& titre) {
  OutputFile texte(odt);
  QTextDocumentWriter odf(&texte.Device(), "odf");
  const bool ecrit = odf.write(&document);
  texte.Commit();  // a failed write names the system's reason
  if (!ecrit) throw OutputError("Le fichier " + odt.string() + " n'a pas pu être écrit : document refusé");

  OutputFile imprime(pdf);
  {
    QPdfWriter writer(&imprime.Device());
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle(titre);
    writer.setCreator(QStringLiteral("ControleMorvane"));
    document.print(&writer);
  }
  imprime.Commit();
}

}  // namespace

ModeleLettre LireModele(const mvdb::DynArray& record) {
  ModeleLettre m;
  m.titre = Attribut(record, 1);
  const int paragraphes = record.DCount(2);
  m.paragraphes.reserve(static_cast<std::size_t>(paragraphes));
  for (int k = 1; k <= paragraphes; ++k) {
    m.paragraphes.push_back({QString::fromStdString(record.Item(2, k)), QString::fromStdString(record.Item(3, k))});
  }
  if (!record.Item(4).empty()) m.police = Attribut(record, 4);
  bool ok = false;
  const double taille = Attribut(record, 5).toDouble(&ok);
  if (ok && taille > 0) m.taille = taille;
  return m;
}

ChampsFusion ChampsDuContrat(mvdb::Database& db, const std::string& cleContrat, const TablesCodes& tables,
                             const QDate& aujourdhui, QString* avertissement) {
  return Champs(Fichiers(db), cleContrat, tables, aujourdhui, avertissement);
}

std::vector<ParagrapheModele> Fusionner(const ModeleLettre& modele, const ChampsFusion& champs) {
  std::vector<ParagrapheModele> lettre;
  for (const ParagrapheModele& p : modele.paragraphes) {
    const QString seul = p.texte.trimmed();
    if (seul == QLatin1String("{{SIGNATURE}}")) {
      lettre.push_back({QString(), p.style, true});
      continue;
    }
    const auto entier = ExpressionChamp().match(seul);
    if (entier.hasMatch() && entier.capturedLength() == seul.size()) {
      const auto champ = champs.find(entier.captured(1));
      if (champ != champs.end() && champ->second.isEmpty()) continue;  // a list without lines
    }
    QString texte;
    qsizetype position = 0;
    for (auto it = ExpressionChamp().globalMatch(p.texte); it.hasNext();) {
      const auto m = it.next();
      texte += p.texte.mid(position, m.capturedStart() - position);
      const auto champ = champs.find(m.captured(1));
      texte += champ != champs.end() ? champ->second.join(QLatin1Char('\n')) : m.captured(0);
      position = m.capturedEnd();
    }
    texte += p.texte.mid(position);
    for (const QString& ligne : texte.split(QLatin1Char('\n'))) lettre.push_back({ligne, p.style, false});
  }
  return lettre;
}

MailMergeEditor::MailMergeEditor(std::filesystem::path outputDir, std::function<QDate()> today)
    : outputDir_(std::move(outputDir)), today_(today ? std::move(today) : std::function<QDate()>(TodayFromEnvironment)) {}

void MailMergeEditor::Executer() {
  QString* retour = retour_;
  retour_ = nullptr;
  auto repondre = [&](const QString& texte) {
    if (retour) *retour = texte;
  };
  if (db_ == nullptr) throw std::logic_error("the letter editor was given no database (Base)");

  const std::string base = "publipostage-" + cleModele_.toStdString();
  const auto odt = outputDir_ / (base + ".odt");
  const auto pdf = outputDir_ / (base + ".pdf");
  RefuseInsideDatabase(odt, db_->Path(), db_->DirectoryRoot());
  RefuseInsideDatabase(pdf, db_->Path(), db_->DirectoryRoot());

  const ModeleLettre modele = LireModele(db_->DBOpen(kFichierModeles).DBRead(cleModele_.toStdString()));
  const QStringList cles = listeCles_.split(QLatin1Char('|'), Qt::SkipEmptyParts);
  if (cles.isEmpty()) {
    dernierNombre_ = 0;
    repondre(QStringLiteral("Aucun contrat à fusionner."));
    return;
  }

  const TablesCodes tables{LireOuVide(*db_, "NATUREVOIE"), LireOuVide(*db_, "TITRES")};
  const Fichiers fichiers(*db_);
  const QDate aujourdhui = today_();
  SignatureFinder signatures;
  signatures.SetBase(db_);
  signatures.SetClient(client_);

  QTextDocument document;
  QFont police(modele.police);
  police.setPointSizeF(modele.taille);
  document.setDefaultFont(police);
  document.setPageSize(QSizeF(kLargeurA4, kHauteurA4));
  document.setDocumentMargin(kMarge);
  QTextCursor curseur(&document);
  bool premierParagraphe = true;
  std::map<QString, QString> imageDeLEntite;  // entity -> resource name ("" when none)
  QStringList remarques;
  int lettres = 0;

  for (const QString& cle : cles) {
    QString avertissement;
    ChampsFusion champs;
    std::string entite;
    try {
      champs = Champs(fichiers, cle.toStdString(), tables, aujourdhui, &avertissement, &entite);
    } catch (const mvdb::DbError& e) {
      remarques << cle + QStringLiteral(" : lettre omise : ") + QString::fromStdString(e.what());
      continue;
    }
    if (!avertissement.isEmpty()) remarques << cle + QStringLiteral(" : congés non calculés : ") + avertissement;

    const QString codeEntite = QString::fromStdString(entite);
    auto image = imageDeLEntite.find(codeEntite);
    if (image == imageDeLEntite.end()) {
      QString nom;
      const QString chemin = signatures.CheminSignature(QString::fromUtf8(lettre::kTypeLettre), QString(), codeEntite);
      QImage picture;
      if (!chemin.isEmpty() && picture.load(chemin)) {
        nom = QStringLiteral("signature-") + codeEntite + QStringLiteral(".png");
        document.addResource(QTextDocument::ImageResource, QUrl(nom), picture);
      }
      image = imageDeLEntite.emplace(codeEntite, nom).first;
    }

    const auto paragraphes = Fusionner(modele, champs);
    for (std::size_t i = 0; i < paragraphes.size(); ++i) {
      AjouterParagraphe(curseur, premierParagraphe, paragraphes[i], i == 0 && lettres > 0, image->second);
    }
    ++lettres;
  }

  std::error_code ignored;  // a folder that cannot be made shows up as the files failing
  std::filesystem::create_directories(outputDir_, ignored);
  Ecrire(document, odt, pdf, modele.titre);
  dernierOdt_ = odt;
  dernierPdf_ = pdf;
  dernierNombre_ = lettres;
  remarques.prepend(QString::fromStdString(odt.string()) + QLatin1Char('|') + QString::fromStdString(pdf.string()));
  repondre(remarques.join(QLatin1Char('\n')));
}

}  // namespace morvane::services
