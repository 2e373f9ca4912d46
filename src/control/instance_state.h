// Per-instance state of Ctr_Morvane, under the names its procedures use.
// Initial values are those of a fresh instance: empty lists and texts, 0, false.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "control/criteres.h"
#include "mvdb/dynarray.h"
#include "services/droits.h"

namespace morvane::control {

struct InstanceState {
  // ---- host contract ----
  /// The signed-in user's rights as handed in by the host (shared with it).
  std::shared_ptr<services::Droits> DroitsUtilisateur;
  /// The user's rights on ABSENCESAIDANT: print level and sector permission.
  std::shared_ptr<services::DroitsFichier> DroitsAbsences;
  /// COMPTEUR "999" attribute 47, read by INIT: the default legal-entity code.
  QString EntiteDefaut;
  /// Twips in one centimetre (567), set by INIT; every printed position uses it.
  std::int16_t UnCm = 0;

  // ---- look-up lists (item k of the drop-down list is row k + 1) ----
  mvdb::DynArray ListeSecteur;        ///< sectors: col 1 code, col 2 label
  mvdb::DynArray ListeCommune;        ///< communes: col 1 code, col 2 name
  mvdb::DynArray ListeEntites;        ///< entities with activities: col 1 code, col 2 short name
  mvdb::DynArray ListeEntitesFiltre;  ///< entities matching the last typed beginning
  mvdb::DynArray TabMotif;            ///< reasons offered: col 1 label, col 2 code

  // ---- request ----
  /// The form's criteria, read once when "Imprimer" is pressed.
  Criteres CriteresDemande;
  /// One row per absence in print order (see the column table in docs/control.md).
  mvdb::DynArray ResultatSelection;
  std::int32_t DebutPeriode = 0;  ///< reference period, internal day numbers
  std::int32_t FinPeriode = 0;    ///< (the planning's: whole weeks)
  std::int32_t DebutSaisi = 0;    ///< the period as typed, for the contract test
  std::int32_t FinSaisi = 0;
  bool Erreur = false;            ///< outcome of the criteria check (true = refused)
};

}  // namespace morvane::control
