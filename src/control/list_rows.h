// Reading the rows of a result list the way the printed outputs do.
#pragma once

#include <QString>
#include <string>

#include "control/selection_requete.h"
#include "mvdb/dynarray.h"
#include "services/droits.h"

namespace morvane::control {

/// True when row `ligne` has an empty column 1: the rows end there.
inline bool LigneVide(const mvdb::DynArray& resultat, int ligne) { return resultat.Item(ligne, 1).empty(); }

/// Carer code of a row: characters 1-5 of its absence key.
inline std::string CodeAidant(const mvdb::DynArray& resultat, int ligne) {
  return resultat.Item(ligne, 1).substr(0, 5);
}

/// The key under which the row's absence record is stored: the key kept aside
/// by the selection when the portion filter rewrote column 1, column 1 otherwise.
inline std::string CleAbsenceOrigine(const mvdb::DynArray& resultat, int ligne) {
  std::string cle = resultat.Item(ligne, kColonneCleAbsence);
  return cle.empty() ? resultat.Item(ligne, 1) : cle;
}

/// Whether the user may see the carer of record `aidant` in an output: the
/// rights' answer for its sector (CIVILAIDANT attribute 31); Null (no sector)
/// counts as no.
inline bool AidantVisible(const services::DroitsFichier& droits, const mvdb::DynArray& aidant) {
  return droits.SecteurAutorise(QString::fromStdString(aidant.Item(31)), false).value_or(false);
}

}  // namespace morvane::control
