// The statistics export: the lines of the semicolon-separated file built from
// the absence selection, and the daily file of STATAIDANT they are written to.
// Ctr_Morvane::Fichier_Stat reads the form and runs these; the pieces are
// usable without a form (tests, benchmarks, several writers at once).
#pragma once

#include <QDate>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

#include "control/export_calculs.h"
#include "mvdb/database.h"
#include "mvdb/dynarray.h"
#include "services/droits.h"

namespace morvane::services {
class OutilsDate;
}

namespace morvane::control {

/// An export that cannot be completed: no free file name, or the file could
/// not be written. what() is the message shown to the user; nothing was written.
class ExportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Header of the long format (30 fields, "Prestataire" ticked).
extern const char* const kEnteteLong;
/// Header of the short format (22 fields).
extern const char* const kEnteteCourt;

/// Highest number tried for the file of one day before the export gives up.
inline constexpr int kNumeroFichierMax = 999;

/// "AbsAidant-" + yyyymmdd of `jour` + n + ".csv" (n without leading zeros).
std::string NomFichierStat(const QDate& jour, int numero);

/// The smallest n from 1 whose name the file does not hold. A probe that fails
/// for another reason than a missing record counts the name as taken. Throws
/// ExportError when every n up to kNumeroFichierMax is taken.
std::string PremierNomLibre(const mvdb::DbFile& stat, const QDate& jour);

/// Writes `fichier` (a record made with DBNew under a name of `jour`) as a new
/// record. When another writer took the name meanwhile, the record moves to the
/// next free name and is written there: two exports never overwrite each other.
/// Returns the name written. Throws ExportError (message naming the file) when
/// the write fails or no name is free; nothing is left behind then.
std::string EcrireNouveauFichier(const mvdb::DbFile& stat, const QDate& jour, mvdb::DynArray& fichier);

/// The open files the lines are read from (copies share the open handles)
/// and the database whose "CALCCOEFFTXHOR" gives the rates a contract lacks.
struct SourcesExport {
  mvdb::Database* base = nullptr;
  mvdb::DbFile civil;         ///< CIVILAIDANT
  mvdb::DbFile tables;        ///< TABLES ("ABSENCES")
  mvdb::DbFile absences;      ///< ABSENCESAIDANT (Covid label)
  mvdb::DbFile secteurs;      ///< SECTEUR (the export's own handle)
  mvdb::DbFile sousSecteurs;  ///< SOUSSECTEUR
  mvdb::DbFile quartiers;     ///< QUARTIER
  mvdb::DbFile contrats;      ///< CONTRAT
  mvdb::DbFile grilles;       ///< GRILLESCC
  mvdb::DbFile associations;  ///< ASSOCIATION
};

/// A field as a spreadsheet reads it back whole: quoted (RFC 4180, inner
/// double quotes doubled) when it holds ";", a double quote, CR or LF, else
/// unchanged.
std::string ChampCsv(std::string_view texte);
/// A stored text (name, address, town, observation, label, code) as a field:
/// a text that a spreadsheet would run as a formula (beginning with "=", "+",
/// "-" or "@" and neither a number nor a telephone number) gets a leading
/// apostrophe, then the field is quoted as ChampCsv says.
std::string TexteCsv(std::string_view texte);

/// What the lines depend on besides the rows.
struct ParametresExport {
  bool formatLong = false;  ///< "Prestataire" ticked: 30 columns, else 22
  QString txtDebut;         ///< period start as displayed ("dd/mm/yyyy")
  QString txtFin;           ///< period end as displayed
  std::optional<std::int32_t> debutPeriode;  ///< day numbers of the two texts;
  std::optional<std::int32_t> finPeriode;    ///< nullopt when not a date
  QDate aujourdhui;         ///< today (year and month asked for computed rates)
  /// The user's rights on the absences: rows of carers of a sector the user
  /// may not see are left out (null: every row is exported).
  std::shared_ptr<const services::DroitsFichier> droits;
};

/// Builds the line of each result row. Records read once per export are kept:
/// the reason table, the labels of sectors, sub-sectors, districts, grids and
/// entities, the computed rate of each contract; carers and contracts are read
/// again only when the row's key changes. A record that does not exist (or a
/// blank key) leaves the columns that depend on it empty; other database
/// failures are thrown. Not thread-safe; the sources and the date service
/// must outlive it.
class LignesExport {
 public:
  LignesExport(SourcesExport sources, ParametresExport parametres, services::OutilsDate& dates);

  /// The header line of the chosen format.
  std::string Entete() const;
  /// Whether row `ligne` is exported: its carer belongs to a sector the
  /// rights let the user see (CIVILAIDANT attribute 31, as the printed list
  /// decides; a carer without a sector, or not on file, is not seen).
  bool Visible(const mvdb::DynArray& resultat, int ligne);
  /// The line of row `ligne` of `resultat` (columns as the selection fills
  /// them; column 8, when present, keeps the absence key of a rewritten row).
  std::string Ligne(const mvdb::DynArray& resultat, int ligne);

 private:
  void LireAidant(const std::string& code);
  const mvdb::DynArray* LireContrat(const std::string& cle);
  std::string LibelleMotif(const mvdb::DynArray& resultat, int ligne, const std::string& cle);
  const std::string& Libelle(const mvdb::DbFile& fichier, std::unordered_map<std::string, std::string>& cache,
                             const std::string& cle, int attribut);
  std::string Categorie(const mvdb::DynArray& contrat);
  std::string TauxHoraire(const mvdb::DynArray& contrat, const std::string& cle);
  void AjouterChiffres(std::string& texte, const mvdb::DynArray& resultat, int ligne, const mvdb::DynArray* contrat,
                       DemiJournees demi);
  std::string DateAffichee(std::string_view jour);

  SourcesExport sources_;
  ParametresExport parametres_;
  services::OutilsDate& dates_;
  int joursDuMois_ = 30;

  bool tableLue_ = false;
  mvdb::DynArray tableMotifs_;
  std::unordered_map<std::string, int> positionsMotifs_;  // code -> first position

  std::string codeAidant_;
  bool aidantLu_ = false;
  std::string secteurAidant_;      // CIVILAIDANT attribute 31
  std::string colonnesAidant_;     // ";"-joined columns 1 to 9
  std::string colonnesLieux_;      // ";"-joined columns 17 to 19
  std::string colonnesPersonne_;   // columns 27 and 28 (sex, date of birth)

  std::string cleContrat_;
  bool contratLu_ = false;
  std::optional<mvdb::DynArray> contrat_;

  std::unordered_map<std::string, std::string> secteurs_, sousSecteurs_, quartiers_, grilles_, associations_;
  std::unordered_map<std::string, std::string> tauxCalcules_;
};

}  // namespace morvane::control
