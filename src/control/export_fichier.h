// The statistics export, apart from the form: the lines of the
// semicolon-separated file built from the absence selection, written once as
// the day's new file of STATAIDANT (export_csv.h). Ctr_Morvane::Fichier_Stat
// hands the criteria to these; they are usable without a form (tests,
// benchmarks, several writers at once).
#pragma once

#include <QDate>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "control/export_calculs.h"
#include "control/export_csv.h"
#include "control/fichiers.h"
#include "mvdb/database.h"
#include "mvdb/dynarray.h"
#include "services/droits.h"

namespace morvane::services {
class OutilsDate;
}

namespace morvane::control {

/// Header of the long format (30 fields, "Prestataire" ticked).
extern const char* const kEnteteLong;
/// Header of the short format (22 fields).
extern const char* const kEnteteCourt;

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

/// Builds the line of each result row from the files of `Fichiers` (civil,
/// tables, absences, secteursExport, sousSecteurs, quartiers, contrats,
/// grilles, associations; `base` gives the rates a contract lacks through
/// "CALCCOEFFTXHOR", none when null). Records read once per export are kept:
/// the reason table, the labels of sectors, sub-sectors, districts, grids and
/// entities, the computed rate of each contract; carers and contracts are read
/// again only when the row's key changes. A record that does not exist (or a
/// blank key) leaves the columns that depend on it empty; other database
/// failures are thrown. Not thread-safe; the sources and the date service
/// must outlive it.
class LignesExport {
 public:
  LignesExport(Fichiers sources, ParametresExport parametres, services::OutilsDate& dates);

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

  Fichiers sources_;
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

/// Fichier_Stat's file: the header and the line of every row the rights let
/// the user see (rows up to the first empty column 1), gathered in a new
/// record of `stat` under the first free name of `jour` and written once at
/// the end: nothing reaches STATAIDANT before. The rows are read from one
/// state of `base`. `progres` is told every 1000
/// lines (may be empty). Returns the name written; throws ExportError, or the
/// DbError of a line, before anything is written.
std::string EcrireExport(LignesExport& lignes, const mvdb::DynArray& resultat, mvdb::Database& base,
                         const mvdb::DbFile& stat, const QDate& jour, const std::function<void(int lignes)>& progres);

}  // namespace morvane::control
