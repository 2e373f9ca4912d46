// Placeholders for the procedures that are not written yet: each one throws
// std::logic_error("<name> not built yet"), which the event guard shows as a
// message, so the form stays usable while the control is being completed.
//
// When you implement a procedure in its own file, DELETE its line here (the
// linker reports a duplicate definition otherwise). Delete this file when it
// is empty.
#include <stdexcept>
#include <string>

#include "control/ctr_morvane.h"

namespace morvane::control {

#define MORVANE_NOT_BUILT(name) throw std::logic_error(#name " not built yet")

// lettre_*.cpp
void Ctr_Morvane::Lettre_Type() { MORVANE_NOT_BUILT(Lettre_Type); }
void Ctr_Morvane::Imprime_Page_Lettre_Type() { MORVANE_NOT_BUILT(Imprime_Page_Lettre_Type); }
void Ctr_Morvane::LigneCP() { MORVANE_NOT_BUILT(LigneCP); }
void Ctr_Morvane::Lettre_Publi() { MORVANE_NOT_BUILT(Lettre_Publi); }

#undef MORVANE_NOT_BUILT

}  // namespace morvane::control
