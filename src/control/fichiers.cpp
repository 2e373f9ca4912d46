// The database files handed to the selection and the outputs.
#include "control/fichiers.h"

#include <stdexcept>

#include "control/variable.h"

namespace morvane::control {

Fichiers Fichiers::DuModule() {
  using namespace Variable;
  if (TheDatabase == nullptr) throw std::logic_error("the database is not open");
  return {TheDatabase, TheClient, FicAbsence, FicCivil, FicSecteur, FicSecteur2, FicTables, FicStat, FicSousSecteur,
          FicQuartier, FicAssociation, FicContrat, FicGrilles, FicEtablissement, FicConvention};
}

Fichiers Fichiers::De(mvdb::Database& base, const mvdb::Client* client) {
  return {&base,
          client,
          base.DBOpen("ABSENCESAIDANT"),
          base.DBOpen("CIVILAIDANT"),
          base.DBOpen("SECTEUR"),
          base.DBOpen("SECTEUR"),
          base.DBOpen("TABLES"),
          base.DBOpen("STATAIDANT"),
          base.DBOpen("SOUSSECTEUR"),
          base.DBOpen("QUARTIER"),
          base.DBOpen("ASSOCIATION"),
          base.DBOpen("CONTRAT"),
          base.DBOpen("GRILLESCC"),
          base.DBOpen("ETABLISSEMENT"),
          base.DBOpen("CONVENTIONCOL")};
}

}  // namespace morvane::control
