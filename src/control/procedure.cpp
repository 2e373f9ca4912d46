#include "control/procedure.h"

#include <functional>
#include <stdexcept>
#include <string>

#include "control/variable.h"

namespace morvane::control::Procedure {
namespace {

// Handle and current record of each file, in opening order.
struct Slot {
  mvdb::DbFile& handle;
  mvdb::DynArray& record;
};

std::array<Slot, 16> Slots() {
  using namespace Variable;
  return {{{FicAbsence, EnregAbsence},
           {FicCivil, EnregCivil},
           {FicCommunes, EnregCommune},
           {FicSecteur, EnregSecteur},
           {FicTables, EnregTables},
           {FicStat, EnregStat},
           {FicSecteur2, EnregSecteur2},
           {FicSousSecteur, EnregSousSecteur},
           {FicQuartier, EnregQuartier},
           {FicActivites, EnregActivites},
           {FicAssociation, EnregAssociation},
           {FicContrat, EnregContrat},
           {FicGrilles, EnregGrilles},
           {FicCompteur, EnregCompteur},
           {FicEtablissement, EnregEtablissement},
           {FicConvention, EnregConvention}}};
}

}  // namespace

void Ouvrir_Fichiers() {
  if (Variable::TheDatabase == nullptr) {
    throw std::logic_error(
        "ControleMorvane: INIT was called before TheDatabase was set (the host must hand in the "
        "database, the client and the rights before INIT)");
  }
  auto fichiers = Slots();
  for (std::size_t i = 0; i < fichiers.size(); ++i) {
    fichiers[i].handle = Variable::TheDatabase->DBOpen(std::string(kFichiers[i]));
  }
}

void Fermer_Fichiers() {
  for (Slot& slot : Slots()) {
    slot.record = mvdb::DynArray();
    if (slot.handle.IsOpen()) slot.handle.Close();
    slot.handle = mvdb::DbFile();
  }
  Variable::TheDatabase = nullptr;
}

int Fichiers_Ouverts() {
  int open = 0;
  for (const Slot& slot : Slots()) open += slot.handle.IsOpen() ? 1 : 0;
  return open;
}

}  // namespace morvane::control::Procedure
