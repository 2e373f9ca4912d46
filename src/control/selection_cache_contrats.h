// The few contract fields the selection filters test, read once per contract
// for the duration of one filtering (a million absences of five thousand carers
// read each contract once, not once per absence).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "control/selection_requete.h"

class QCheckBox;
class QLineEdit;
class QString;

namespace morvane::control {

/// The entity filter as the form states it: the typed entity, the default
/// entity, the two activity boxes (ticked at value 1) and the period given as
/// day-number texts (DateInterne of Txt_Debut and Txt_Fin).
FiltreEntite FiltreDuFormulaire(const QLineEdit& entite, const QString& entiteDefaut, const QCheckBox& prest,
                                const QCheckBox& mandat, const QString& debut, const QString& fin);

/// The files and current-record slots of module Variable the filters use.
/// Throws std::logic_error when the database is not open.
SourcesFiltre SourcesDuModule();

/// Whole number of a day or amount stored as text: leading blanks skipped,
/// optional minus, digits up to the first other character; "" or text
/// without digits gives 0.
std::int32_t EntierTexte(std::string_view text);

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

/// Reads contracts through LireEnReprise (so the module's current contract
/// record is the last one read) and keeps their summaries. nullopt means the
/// file holds no such contract.
class CacheContrats {
 public:
  explicit CacheContrats(const SourcesFiltre& sources) : sources_(sources) {}
  const std::optional<ResumeContrat>& Lire(const std::string& cle);

 private:
  const SourcesFiltre& sources_;
  std::unordered_map<std::string, std::optional<ResumeContrat>> resumes_;
};

}  // namespace morvane::control
