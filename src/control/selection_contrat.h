// The contract filter of the absence selection: when a legal entity narrows
// the request, each row keeps the carer's contract that covers the period and
// fits the entity and the activity types, or goes when the carer has none.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "mvdb/database.h"
#include "mvdb/dynarray.h"

namespace morvane::control {

/// The legal entity and activity types that narrow the selection.
struct FiltreEntite {
  std::string entite;         ///< text of Txt_Entite
  std::string entiteDefaut;   ///< EntiteDefaut read at INIT
  bool prestataire = false;   ///< Cac_Prest ticked
  bool mandataire = false;    ///< Cac_Mandat ticked
  std::int32_t debut = 0;     ///< period start as typed (day number of Txt_Debut)
  std::int32_t fin = 0;       ///< period end as typed

  /// Contracts must belong to the typed entity unless the default entity is
  /// shown, in which case contracts of every entity count.
  bool FiltreActif() const { return entiteDefaut.empty() || entite != entiteDefaut; }
};

/// The files the filters read, and the slots that hold the last record read
/// from each, as module Variable's current records do (not owned).
struct SourcesFiltre {
  mvdb::Database& base;
  const mvdb::DbFile& absences;
  const mvdb::DbFile& contrats;
  mvdb::DynArray& enregAbsence;
  mvdb::DynArray& enregContrat;
};

/// Reads `key` into `slot`, resuming after failures: returns false only when
/// the file holds no such record, which leaves `slot` unchanged. Any other
/// engine failure also leaves the previous record in `slot` and counts as a
/// successful read, so the caller works on that record.
bool LireEnReprise(const mvdb::DbFile& file, const std::string& key, mvdb::DynArray& slot);

/// The day a stored text begins with: leading blanks, an optional sign and
/// digits, read by the engine's number reader ("20010x" is day 20010); 0 when
/// no digit comes first; bounded to 32 bits.
std::int32_t JourStocke(std::string_view texte);

/// Contract kind of an agent-mode ("Mandataire") contract; any other kind is a
/// service-provider ("Prestataire") one.
inline constexpr std::string_view kContratMandataire = "02";

/// What the filters know of one contract record.
struct ResumeContrat {
  std::string genre;         ///< attribute 1
  std::string entite;        ///< attribute 2
  std::int32_t debut = 0;    ///< attribute 7
  std::int32_t fin = 99999;  ///< attribute 8, 99999 when open-ended
  bool ecarte = false;       ///< attribute 65 holds something: never counts

  bool Mandataire() const { return genre == kContratMandataire; }
};

/// Reads contracts through LireEnReprise (so the current contract slot holds
/// the last one read) and keeps their summaries for one filtering (each
/// contract is read once, not once per absence). nullopt: no such contract.
class CacheContrats {
 public:
  explicit CacheContrats(const SourcesFiltre& sources) : sources_(sources) {}
  const std::optional<ResumeContrat>& Lire(const std::string& cle);

 private:
  const SourcesFiltre& sources_;
  std::unordered_map<std::string, std::optional<ResumeContrat>> resumes_;
};

/// Keeps the rows whose carer has a contract that covers the period and fits
/// the entity and activity types; writes that contract's key into column 6 and,
/// for reasons "03" and "13", the activity percentage into column 7. Walks the
/// rows from the last to the first; asks the database for every carer's
/// contracts in one selection (ContratsGroupes), or, with a single carer or a
/// carer whose query does not take that form, for that carer's alone, once per
/// carer. Never throws a DbError (failures are resumed as
/// LireEnReprise says; a failing contract query keeps the row).
void FiltrerParContrat(mvdb::DynArray& resultat, const FiltreEntite& filtre, const SourcesFiltre& sources);

}  // namespace morvane::control
