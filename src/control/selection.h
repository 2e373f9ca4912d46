// The absence selection of a request, apart from the form: the query built
// from the criteria, then either each row completed from its absence record,
// or, when a legal entity narrows the request, the rows filtered by contract
// and by per-contract portions. Result rows are described in docs/control.md.
#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "control/criteres.h"
#include "control/fichiers.h"
#include "mvdb/dynarray.h"

namespace morvane::control {

/// A period as day numbers.
struct Periode {
  std::int32_t debut = 0;
  std::int32_t fin = 0;
};

class SelectionAbsences {
 public:
  /// `requete`: the period the query selects (the planning's whole weeks);
  /// `saisie`: the period as typed, which the contract test uses;
  /// `entiteDefaut`: COMPTEUR "999" attribute 47. The files must stay open.
  SelectionAbsences(Criteres criteres, Periode requete, Periode saisie, QString entiteDefaut, Fichiers fichiers);

  /// The whole query text (RequeteAbsences).
  std::string Texte_Requete() const;
  /// Runs the query: one row per absence in print order, the key copied into
  /// column 8; `compte` receives the number selected. Throws what DBSelect
  /// throws (std::invalid_argument for query syntax in a criterion).
  mvdb::DynArray Selectionner(long& compte) const;
  /// Whether the rows go through Requete_Contrat and Exception_Absences
  /// rather than Completer_Selection (Criteres::parContrat).
  bool ParContrat() const { return criteres_.parContrat; }
  /// Columns 6 (the only contract listed) and 7 (activity percentage) from
  /// each row's absence record. Throws DbError when an absence is missing.
  void Completer_Selection(mvdb::DynArray& resultat);
  /// The contract filter (FiltrerParContrat); never throws a DbError.
  void Requete_Contrat(mvdb::DynArray& resultat);
  /// The portion filter (AppliquerPortions); never throws a DbError.
  void Exception_Absences(mvdb::DynArray& resultat);

 private:
  Criteres criteres_;
  Periode requete_;
  Periode saisie_;
  QString entiteDefaut_;
  Fichiers fichiers_;
  mvdb::DynArray enregAbsence_;  // the last absence and contract read, as
  mvdb::DynArray enregContrat_;  // module Variable's current records
};

}  // namespace morvane::control
