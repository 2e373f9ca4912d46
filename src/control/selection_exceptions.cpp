// Per-contract portions of an absence: a carer working under several
// contracts may have an absence split into portions, one per contract. When a
// single activity type is reported, a row keeps only the dates of the portion
// that belongs to a fitting contract, or goes when none fits.
#include "control/selection_exceptions.h"

#include <string>
#include <vector>

#include "control/selection_lecture.h"

namespace morvane::control {

namespace {

// Attributes of the portions, parallel by value position.
constexpr int kPortionApplique = 21;  // "O" when the portion applies
constexpr int kPortionDebut = 22;
constexpr int kPortionDemiJourDebut = 23;  // "M" morning, otherwise afternoon
constexpr int kPortionFin = 24;
constexpr int kPortionDemiJourFin = 25;    // "M" midday, otherwise evening
constexpr int kPortionContrat = 26;

// Half-day marker of a portion turned into the code of a result row.
const char* CodeDemiJour(std::string_view marqueur) { return marqueur == "M" ? "1" : "2"; }

bool PortionConvient(const FiltreEntite& f, const std::optional<ResumeContrat>& contrat,
                     std::string_view applique) {
  if (!contrat) return false;
  if (f.FiltreActif() && contrat->entite != f.entite) return false;
  const bool typeCoche = (f.prestataire && !contrat->Mandataire()) || (f.mandataire && contrat->Mandataire());
  return typeCoche && applique == "O";
}

}  // namespace

void AppliquerPortions(mvdb::DynArray& resultat, const FiltreEntite& filtre, const SourcesFiltre& sources) {
  if (resultat.Empty()) return;
  if (filtre.prestataire && filtre.mandataire) return;  // both types: the whole absence counts
  CacheContrats contrats(sources);
  LecteurAbsences absences(sources);
  std::vector<std::string> cles;
  for (int i = resultat.DCount(); i >= 1; --i) cles.push_back(resultat.Item(i, 1));
  absences.Precharger(std::move(cles));
  for (int i = resultat.DCount(); i >= 1; --i) {
    const std::string cle = resultat.Item(i, 1);
    if (!absences.Lire(cle)) continue;
    const VueEnregistrement& absence = absences.Courant();
    const int portions = absence.NombreValeurs(kPortionContrat);
    if (portions == 0) continue;
    int retenue = 0;
    for (int k = 1; k <= portions; ++k) {
      if (PortionConvient(filtre, contrats.Lire(std::string(absence.Valeur(kPortionContrat, k))),
                          absence.Valeur(kPortionApplique, k))) {
        retenue = k;  // the last fitting portion wins
      }
    }
    if (retenue == 0) {
      resultat.Delete(i);
      continue;
    }
    // Characters 8 onward of column 1 now hold the portion's first day; the
    // absence key itself stays in kColonneCleAbsence.
    resultat.SetItem(i, 1, cle.substr(0, 7) + std::string(absence.Valeur(kPortionDebut, retenue)));
    resultat.SetItem(i, 2, CodeDemiJour(absence.Valeur(kPortionDemiJourDebut, retenue)));
    resultat.SetItem(i, 3, absence.Valeur(kPortionFin, retenue));
    resultat.SetItem(i, 4, CodeDemiJour(absence.Valeur(kPortionDemiJourFin, retenue)));
  }
  absences.Terminer();
}

}  // namespace morvane::control
