// Test access to the control's private state and procedures (a friend of
// Ctr_Morvane). Add a wrapper here when a test needs another procedure.
#pragma once

#include "control/ctr_morvane.h"

namespace morvane::control {

class CtrMorvaneTestAccess {
 public:
  /// The form's controls under their names.
  static FormControls& Form(Ctr_Morvane& c) { return c; }
  /// The per-instance state (ResultatSelection, EntiteDefaut, UnCm, ...).
  static InstanceState& State(Ctr_Morvane& c) { return c; }
  /// Runs a procedure through the control's event guard, as an event would.
  static void AsEvent(Ctr_Morvane& c, const char* name, const std::function<void()>& procedure) {
    c.Evenement(name, procedure);
  }
  static int BusyDepth(const Ctr_Morvane& c) { return c.busyDepth_; }

#define MORVANE_ACCESS(name) \
  static void name(Ctr_Morvane& c) { c.name(); }
  MORVANE_ACCESS(Verifier_Droits)
  MORVANE_ACCESS(Cmd_Sortir_Click)
  MORVANE_ACCESS(UserControl_Terminate)
  MORVANE_ACCESS(Sablier_On)
  MORVANE_ACCESS(Test)
  MORVANE_ACCESS(Cmd_Imprimer_Click)
  MORVANE_ACCESS(Selection_Absences)
  MORVANE_ACCESS(Requete_Contrat)
  MORVANE_ACCESS(Exception_Absences)
  MORVANE_ACCESS(Select_Impression)
  MORVANE_ACCESS(Imprime_Detail)
  MORVANE_ACCESS(Fichier_Stat)
  MORVANE_ACCESS(Lettre_Type)
  MORVANE_ACCESS(Lettre_Publi)
#undef MORVANE_ACCESS
  static std::string Texte_Requete_Absences(Ctr_Morvane& c) { return c.Texte_Requete_Absences(); }
  static void Sablier_Off(Ctr_Morvane& c, bool processEvents = true) { c.Sablier_Off(processEvents); }
};

}  // namespace morvane::control
