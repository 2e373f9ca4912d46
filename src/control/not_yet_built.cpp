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

// lookup_secteur.cpp
void Ctr_Morvane::Remplir_Combo_Secteur() { MORVANE_NOT_BUILT(Remplir_Combo_Secteur); }
void Ctr_Morvane::Remplir_Combo_Commue() { MORVANE_NOT_BUILT(Remplir_Combo_Commue); }
void Ctr_Morvane::Txt_Secteur_Change() { MORVANE_NOT_BUILT(Txt_Secteur_Change); }
void Ctr_Morvane::Txt_Secteur_KeyPress(int& /*KeyAscii*/) { MORVANE_NOT_BUILT(Txt_Secteur_KeyPress); }
void Ctr_Morvane::Txt_Secteur_LostFocus() { MORVANE_NOT_BUILT(Txt_Secteur_LostFocus); }
void Ctr_Morvane::Cbo_Secteur_Click() { MORVANE_NOT_BUILT(Cbo_Secteur_Click); }
void Ctr_Morvane::Cbo_Secteur_Change() { MORVANE_NOT_BUILT(Cbo_Secteur_Change); }

// lookup_entite.cpp
void Ctr_Morvane::Remplir_Combo_Entite() { MORVANE_NOT_BUILT(Remplir_Combo_Entite); }
void Ctr_Morvane::Cbo_Entite_KeyPress(int& /*KeyAscii*/) { MORVANE_NOT_BUILT(Cbo_Entite_KeyPress); }
void Ctr_Morvane::Cbo_Entite_Click() { MORVANE_NOT_BUILT(Cbo_Entite_Click); }
void Ctr_Morvane::Cbo_Entite_Change() { MORVANE_NOT_BUILT(Cbo_Entite_Change); }
void Ctr_Morvane::Txt_Entite_Change() { MORVANE_NOT_BUILT(Txt_Entite_Change); }
void Ctr_Morvane::Txt_Entite_KeyPress(int& /*KeyAscii*/) { MORVANE_NOT_BUILT(Txt_Entite_KeyPress); }
void Ctr_Morvane::Txt_Entite_LostFocus() { MORVANE_NOT_BUILT(Txt_Entite_LostFocus); }
void Ctr_Morvane::Vider_Act() { MORVANE_NOT_BUILT(Vider_Act); }
void Ctr_Morvane::Afficher_Activite() { MORVANE_NOT_BUILT(Afficher_Activite); }

// periode.cpp
void Ctr_Morvane::Txt_Debut_LostFocus() { MORVANE_NOT_BUILT(Txt_Debut_LostFocus); }
void Ctr_Morvane::Txt_Fin_LostFocus() { MORVANE_NOT_BUILT(Txt_Fin_LostFocus); }
void Ctr_Morvane::Test() { MORVANE_NOT_BUILT(Test); }

// selection_motif.cpp
void Ctr_Morvane::Afficher_Motif() { MORVANE_NOT_BUILT(Afficher_Motif); }
void Ctr_Morvane::Remplir_Combo_Motif(const QString& /*family*/) { MORVANE_NOT_BUILT(Remplir_Combo_Motif); }
void Ctr_Morvane::Trier_Motif() { MORVANE_NOT_BUILT(Trier_Motif); }

// export_fichier.cpp
void Ctr_Morvane::Fichier_Stat() { MORVANE_NOT_BUILT(Fichier_Stat); }

// lettre_*.cpp
void Ctr_Morvane::Lettre_Type() { MORVANE_NOT_BUILT(Lettre_Type); }
void Ctr_Morvane::Imprime_Page_Lettre_Type() { MORVANE_NOT_BUILT(Imprime_Page_Lettre_Type); }
void Ctr_Morvane::LigneCP() { MORVANE_NOT_BUILT(LigneCP); }
void Ctr_Morvane::Lettre_Publi() { MORVANE_NOT_BUILT(Lettre_Publi); }

#undef MORVANE_NOT_BUILT

}  // namespace morvane::control
