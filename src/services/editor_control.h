// Ctr_Brinel: the mail-merge editor. Merges a letter model stored in the
// database with the records of a list of contract keys and writes the merged
// letters, one per key, as one OpenDocument text and one PDF.
//
// The model is a record of the file MODELES, keyed by its letter type
// followed by eight zeros ("LETTREINFOCP00000000"):
//   1  title of the model
//   2  multi-valued: the paragraphs, in order (an empty value is an empty line)
//   3  multi-valued, parallel to 2: the style of each paragraph, letters that
//      combine: "G" bold, "D" set in the right-hand block (address, place and
//      date, signature); empty for plain text
//   4  font family (default "Liberation Serif"), 5 font size in points (default 11)
// A paragraph holds merge fields written {{FIELD}} (see ChampsDuContrat). A
// paragraph that is only {{SIGNATURE}} becomes the signature picture of the
// employing entity; a field of several lines ({{LIGNES_CP}}) gives one
// paragraph per line, and a paragraph that is only such a field disappears
// when the field has no line. An unknown field is left as written.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "services/sibling_controls.h"

namespace morvane::services {

/// The file of letter models.
inline constexpr const char* kFichierModeles = "MODELES";

/// One paragraph of a model or of a merged letter.
struct ParagrapheModele {
  QString texte;
  QString style;            ///< "G" bold, "D" right-hand block, or both
  bool signature = false;   ///< merged letters: this paragraph is the signature picture
};

/// A letter model as stored in MODELES.
struct ModeleLettre {
  QString titre;
  std::vector<ParagrapheModele> paragraphes;
  QString police = QStringLiteral("Liberation Serif");
  double taille = 11;
};

/// Reads a model record (layout above). Never throws; a record without
/// paragraphs gives a model without paragraphs.
ModeleLettre LireModele(const mvdb::DynArray& record);

/// Merge fields: name (without braces) -> lines (most fields have one line).
using ChampsFusion = std::map<QString, QStringList>;

/// The code tables the fields look codes up in (TABLES "NATUREVOIE", "TITRES").
struct TablesCodes {
  mvdb::DynArray natureVoie;
  mvdb::DynArray titres;
};

/// The merge fields of one contract, with the texts and figures of the
/// printed letter: CONTRAT (the key), TITRE, NOM, PRENOM, DESTINATAIRE (title,
/// surname and first name in upper case), ADRESSE1-3 (empty lines moved up),
/// EMPLOYEUR, EMPLOYEUR_RUE, EMPLOYEUR_COMPLEMENT, EMPLOYEUR_VILLE,
/// EMPLOYEUR_CEDEX ("CEDEX n" or ""), EMPLOYEUR_TEL, EMPLOYEUR_MAIL, LIEU,
/// DATE ("15 FÉVRIER 2025"), DEBUT_PERIODE (S), ECHEANCE_CP (E),
/// FIN_ACQUISITION (A), ECHEANCE_ANCIENNETE (D1), ECHEANCE_PREVENANCE (D2),
/// JOURS_EN_COURS (B), LIGNES_CP (the acquired-leave lines), LIGNE_EN_COURS,
/// FORMULE (the closing formula).
/// The carer is the one whose code is the contract key's first five
/// characters. Throws mvdb::DbError when the contract, the carer, the entity,
/// the establishment or the agreement cannot be read; when a leave date cannot
/// be computed the leave fields are empty and `avertissement` says why.
ChampsFusion ChampsDuContrat(mvdb::Database& db, const std::string& cleContrat, const TablesCodes& tables,
                             const QDate& aujourdhui, QString* avertissement = nullptr);

/// The paragraphs of one merged letter: fields replaced, multi-line fields
/// expanded, {{SIGNATURE}} paragraphs marked. Pure.
std::vector<ParagrapheModele> Fusionner(const ModeleLettre& modele, const ChampsFusion& champs);

/// The real editor control of the desktop environment.
class MailMergeEditor : public EditorControl {
 public:
  /// Letters are written into `outputDir` (created when missing). `today`
  /// gives the letters' date (default: TodayFromEnvironment()).
  explicit MailMergeEditor(std::filesystem::path outputDir, std::function<QDate()> today = {});

  void SetBase(mvdb::Database* db) override { db_ = db; }
  void SetClient(const mvdb::Client* client) override { client_ = client; }
  void SetDroits(std::shared_ptr<const Droits> droits) override { droits_ = std::move(droits); }
  void SetCleModele(const QString& key) override { cleModele_ = key; }
  void SetParametre(const QString& value) override { parametre_ = value; }
  /// The contract keys joined by "|"; copied.
  void SetListeCles(QString& keys) override { listeCles_ = keys; }
  /// Where Executer writes its answer; the text must live until Executer
  /// returns, after which the editor forgets it.
  void SetRetour(QString& retour) override { retour_ = &retour; }

  /// Merges the model with every listed key, in order (a key listed twice
  /// gives two letters), a new page for each letter, and writes
  /// "<outputDir>/publipostage-<model key>.odt" and ".pdf" as OutputFiles
  /// (each replaces an earlier one only when complete). A key whose records
  /// cannot be read is left out. The answer (Retour) is the two paths joined
  /// by "|" followed by one line per letter left out or incomplete; with no
  /// key at all nothing is written and the answer says so. Throws
  /// std::logic_error without a database, mvdb::DbError when the model cannot
  /// be read, OutputError when a file would be the database's own or cannot
  /// be written completely.
  void Executer() override;

  /// The paths of the last files written (empty before).
  const std::filesystem::path& DernierOdt() const { return dernierOdt_; }
  const std::filesystem::path& DernierPdf() const { return dernierPdf_; }
  /// Letters in the last merge.
  int DernierNombreDeLettres() const { return dernierNombre_; }

 private:
  std::filesystem::path outputDir_;
  std::function<QDate()> today_;
  mvdb::Database* db_ = nullptr;
  const mvdb::Client* client_ = nullptr;
  std::shared_ptr<const Droits> droits_;
  QString cleModele_;
  QString parametre_;
  QString listeCles_;
  QString* retour_ = nullptr;
  std::filesystem::path dernierOdt_;
  std::filesystem::path dernierPdf_;
  int dernierNombre_ = 0;
};

}  // namespace morvane::services
