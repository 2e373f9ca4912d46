// Per-instance state of Ctr_Morvane, under the names its procedures use.
// Initial values are those of a fresh instance: empty lists and texts, 0, false.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>

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
  /// One row per absence in print order (see the column table in docs/control.md).
  mvdb::DynArray ResultatSelection;
  std::int32_t DebutPeriode = 0;  ///< reference period, internal day numbers
  std::int32_t FinPeriode = 0;
  bool Erreur = false;            ///< outcome of the criteria check (true = refused)

  // ---- printed list ----
  std::int16_t NoPage = 0;        ///< current page number
  double NoLigne = 0;             ///< line counter of the current page, in text lines
  std::int32_t IndLigne = 0;      ///< current row of ResultatSelection (list and export)
  QString CleRupture;             ///< group key of the current page (sector code or town)
  std::int32_t NbLignesMax = 0;   ///< page-break threshold for NoLigne (30 or 50)
  mvdb::DynArray EnregAbsenceListe;  ///< absence record read by the list's detail block

  // ---- letters ----
  QString ClesContrats;           ///< contract keys joined by "|" for the mail merge
  QString CheminImage;            ///< signature picture of the current letter
  mvdb::DynArray TableNatureVoie;  ///< TABLES "NATUREVOIE" (street types), for one Lettre_Type run
  mvdb::DynArray TableTitres;      ///< TABLES "TITRES" (titles of address), for one Lettre_Type run
};

}  // namespace morvane::control
