// The absence selection: the criteria of the form as plain values, the query
// text built from them, and the contract and portion filters that narrow the
// result list to one legal entity. Kept apart from the widgets so that the
// query text and the filters can be checked on their own.
#pragma once

#include <cstdint>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "mvdb/database.h"
#include "mvdb/dynarray.h"

class QComboBox;

namespace morvane::control {

/// Which absences count in the reference period ("Sélection des absences").
enum class ModePeriode {
  DansPeriode,       ///< overlapping the period
  DebutDansPeriode,  ///< first day inside the period
  FinDansPeriode,    ///< last day inside the period
  Aucune,            ///< no option selected: no period condition
};

/// The form's criteria at the moment of the request, as the query reads them.
struct CriteresAbsences {
  bool arretTravail = false;            ///< Cac_ArretTravail ticked (value 1)
  bool conges = false;                  ///< Cac_Conges
  bool autres = false;                  ///< Cac_EvtFam
  bool aValider = false;                ///< Cac_AValider
  std::optional<std::int32_t> motif;    ///< reason chosen in Cbo_Motif, if any
  bool optSecteur = true;               ///< Opt_Secteur selected
  bool optCommune = false;              ///< Opt_Com selected
  std::string codeSecteur;              ///< text of Txt_Secteur
  std::string nomCommune;               ///< text of Cbo_Secteur (commune mode)
  ModePeriode periode = ModePeriode::DansPeriode;
  std::int32_t debut = 0;               ///< DebutPeriode
  std::int32_t fin = 0;                 ///< FinPeriode
  bool pasDateReprise = false;          ///< Cac_PasDateRep ticked (enabled or not)
  bool triDebut = false;                ///< Opt_DebutAbs selected
  bool triFin = false;                  ///< Opt_FinAbs selected
  bool lettreInfo = false;              ///< Opt_LettreInfo selected
  bool graphique = false;               ///< Opt_Graphique selected
};

/// The reason read from the reason box: none when its text is empty; the item
/// data of the entry whose label the text is (the selected entry, or the entry
/// with exactly that label when the user typed it). `reconnu` is false when a
/// non-empty text names no entry: the request is then refused rather than
/// widened to every reason of the ticked types.
struct MotifChoisi {
  bool reconnu = true;
  std::optional<std::int32_t> code;
};
MotifChoisi LireMotif(const QComboBox& cboMotif);

/// The file the absence query selects from, and the attributes it returns:
/// the key, start half-day, last day, end half-day and observation.
inline constexpr const char* kFichierAbsences = "ABSENCESAIDANT";
inline constexpr const char* kAttributsAbsences = "0 1 2 3 29";

/// Column of a result row that keeps the absence key as selected, even after
/// the portion filter has rewritten column 1 with a portion's start day.
/// Readers that look the absence record up again use this column.
inline constexpr int kColonneCleAbsence = 8;

/// What the query language would read as syntax in `valeur` written between
/// double quotes: a double quote (it ends the value), "]" at the end (the
/// begins-with mark), a record mark (bytes 0xFE, 0xFD, 0xFC) or a control
/// character. Returns the first one found, described for a message ("le
/// caractère \" (guillemet)"), or nullopt when the value reads as itself.
std::optional<QString> SyntaxeDansValeur(std::string_view valeur);

/// `texte` without what SyntaxeDansValeur finds: double quotes, control
/// characters and trailing "]" removed.
QString SansSyntaxe(QString texte);

/// Builds the whole "SSELECT ABSENCESAIDANT ..." text for the criteria;
/// criteria without any ticked type give the bare select with its sort.
/// Throws std::invalid_argument when the sector code or the commune name holds
/// query syntax (the form refuses such criteria before).
std::string RequeteAbsences(const CriteresAbsences& criteres);

/// The selection request handed to DBSelect: attribute 1 the query, 2 the
/// file, 3 the attribute list.
mvdb::DynArray DemandeSelection(const std::string& requete, const std::string& fichier,
                                const std::string& attributs);

/// Copies column 1 of every row into kColonneCleAbsence (linear).
void MemoriserClesAbsences(mvdb::DynArray& resultat);

/// The legal entity and activity types that narrow the selection.
struct FiltreEntite {
  std::string entite;         ///< text of Txt_Entite
  std::string entiteDefaut;   ///< EntiteDefaut read at INIT
  bool prestataire = false;   ///< Cac_Prest ticked (value 1)
  bool mandataire = false;    ///< Cac_Mandat ticked (value 1)
  std::int32_t debut = 0;     ///< period start (day number of Txt_Debut)
  std::int32_t fin = 0;       ///< period end (day number of Txt_Fin)

  /// Contracts must belong to the typed entity unless the default entity is
  /// shown, in which case contracts of every entity count.
  bool FiltreActif() const { return entiteDefaut.empty() || entite != entiteDefaut; }
};

/// The files the filters read, and the current-record slots of module
/// Variable that hold the last record read from each (not owned).
struct SourcesFiltre {
  mvdb::Database& base;
  const mvdb::DbFile& absences;
  const mvdb::DbFile& contrats;
  mvdb::DynArray& enregAbsence;
  mvdb::DynArray& enregContrat;
};

/// Reads `key` into `slot`, resuming after failures: returns false only when
/// the file holds no such record (0x8004000B), which leaves `slot` unchanged.
/// Any other engine failure also leaves the previous record in `slot` and
/// counts as a successful read, so the caller works on that record.
bool LireEnReprise(const mvdb::DbFile& file, const std::string& key, mvdb::DynArray& slot);

/// Keeps the rows whose carer has a contract that covers the period and fits
/// the entity and activity types; writes that contract's key into column 6 and,
/// for reasons "03" and "13", the activity percentage into column 7. Walks the
/// rows from the last to the first; never throws a DbError (failures are
/// resumed as LireEnReprise says; a failing contract query keeps the row).
void FiltrerParContrat(mvdb::DynArray& resultat, const FiltreEntite& filtre, const SourcesFiltre& sources);

/// Applies the per-contract portions of each absence unless both activity
/// types are ticked: a row is rewritten from the last fitting portion (columns
/// 1 to 4) or removed when no portion fits; absences without portions stay.
/// Never throws a DbError.
void AppliquerPortions(mvdb::DynArray& resultat, const FiltreEntite& filtre, const SourcesFiltre& sources);

}  // namespace morvane::control
