// Ctr_Morvane: the absence-reporting control. A host places it on one of its
// windows, hands it the database client, the database and the user's rights,
// then calls INIT; from then on the control runs its selection form and
// unloads the host window itself when it is done. A request reads the form
// once into a Criteres value and hands it to parts that hold no widget:
// SelectionAbsences (selection.h: Requete_Contrat, Exception_Absences),
// ListeAbsences (liste.h: Entete_Page, Imprime_Detail, ...), LignesExport
// (export_fichier.h), LettresType (lettre_type.h: LigneCP) and the merge's
// keys (lettre_contrats.h).
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <exception>
#include <functional>
#include <memory>

#include "control/form_controls.h"
#include "control/instance_state.h"
#include "mvdb/database.h"
#include "services/environment.h"

namespace morvane::services {
class OutilsDate;
class Printer;
}  // namespace morvane::services

namespace Ui {
class CtrMorvaneForm;
}

namespace morvane::control {

class EventAdapter;

/// The control. Owns its form (the child widgets), its look-up and result lists
/// and its Environment; shares module Variable with every other instance.
/// Procedure names are the form's: <Control>_<Event> for event procedures,
/// French verb phrases for the others. Each event procedure runs through one
/// guard: a failure shows "Message QUENTARIS" and leaves the form usable.
class Ctr_Morvane : public QWidget, private FormControls, private InstanceState {
  Q_OBJECT

 public:
  /// Builds the form in its design-time state. Uses the desktop environment
  /// until SetEnvironment replaces it.
  explicit Ctr_Morvane(QWidget* parent = nullptr);
  /// Runs UserControl_Terminate: releases the lists and rights and closes the
  /// database files of the whole process (module Variable).
  ~Ctr_Morvane() override;

  /// TheClient: stores the client as the module's client (not owned).
  void setTheClient(mvdb::Client* vNewValue);
  /// TheDatabase: stores the database as the module's database (not owned; the
  /// host keeps it alive until the control is destroyed).
  void setTheDatabase(mvdb::Database* vNewValue);
  /// DroitsUtilisateur: stores the rights and asks them for the rights on
  /// ABSENCESAIDANT (DroitsAbsences). Throws std::invalid_argument for null.
  void setDroitsUtilisateur(std::shared_ptr<services::Droits> New_DroitsUtilisateur);
  /// Replaces the outside components (UI services, printers, sibling
  /// controls); call before INIT. The control owns it. Null is ignored.
  void SetEnvironment(std::unique_ptr<services::Environment> environment);

  /// INIT: opens the files, reads the default entity, fills the sector and
  /// entity lists, disables "Lettre d'information", applies the print right.
  /// Throws std::logic_error when the database or the rights were not set,
  /// mvdb::DbError when a file is missing or COMPTEUR has no record "999".
  /// On failure the pointer and the surface are restored.
  void INIT();

  /// When true (the default), an unload request also closes window() once
  /// unloadRequested has been emitted. Hosts that manage closing set false.
  void setClosesHostWindow(bool closes) { closesHostWindow_ = closes; }
  /// The number of absences the last request selected (before the sector
  /// rights), 0 before any: what the host's audit trail records.
  int NombreAbsencesSelectionnees() const { return ResultatSelection.Empty() ? 0 : ResultatSelection.DCount(); }

  /// The output the form's "Edition" options choose now (a host names the
  /// file it proposes after it).
  Sortie SortieChoisie() const { return LireCriteres().sortie; }

 signals:
  /// W_automate, W_Sortir, W_RequeteImprimer: declared for hosts of the
  /// classic interface; never emitted.
  void W_automate();
  void W_Sortir();
  void W_RequeteImprimer();
  /// The control asks its host to unload the host window ("Sortir", end of an
  /// output). The control itself is destroyed with that window.
  void unloadRequested();
  /// An output wrote this file completely: the PDF of a PDF printer, each of
  /// the merged letters' two files, the export's CSV (its full path in the
  /// database's STATAIDANT folder). Nothing is said of a system printer's job.
  void fileWritten(const QString& path);

 private:
  // The hourglass pointer and the whole surface disabled for the life of a
  // scope (nests). Leaving the scope normally lets pending events be processed
  // while the surface is still disabled (unless told not to), then restores
  // both; leaving it by an exception restores them at once.
  class Sablier {
   public:
    explicit Sablier(Ctr_Morvane& control, bool traiterEvenements = true);
    ~Sablier();
    Sablier(const Sablier&) = delete;
    Sablier& operator=(const Sablier&) = delete;

   private:
    Ctr_Morvane& control_;
    const bool traiterEvenements_;
    const int exceptions_;  // uncaught exceptions when the scope began
  };

  // ---- outside components and shared helpers (ctr_morvane.cpp) ----
  services::UiServices& Ui();
  services::PrinterList& Printers();
  services::Printer& Printer();  // the preview's surface, else the current printer (PrinterError when none)
  services::OutilsDate& Dates();
  services::PlanningControl& Planning();    // these three throw std::logic_error
  services::SignatureControl& Signature();  // when the environment lacks them
  services::EditorControl& Editor();
  void Sablier_On();
  void Sablier_Off(bool processEvents);
  void Message(const QString& text, services::MsgIcon icon = services::MsgIcon::Exclamation);
  void Decharger_Hote();
  void Evenement(const char* name, const std::function<void()>& procedure);
  void Signaler_Echec();
  void Brancher_Evenements();  // control_events.cpp
  // ---- host contract (host_contract.cpp) ----
  void Verifier_Droits();
  void Cmd_Sortir_Click();
  void UserControl_Terminate();
  // ---- selection form: option interplay (form_clicks.cpp) ----
  void Cac_ArretTravail_Click();
  void Cac_Conges_Click();
  void Cac_EvtFam_Click();
  void Cac_AValider_Click();
  void Opt_Secteur_Click();
  void Opt_Com_Click();
  void Opt_Tot_Click();
  void MontrerChampCode(const QString& libelle, int longueur);
  void Opt_PeriodeRef_Click();
  void Opt_DebutPeriodeRef_Click();
  void Opt_FinPeriodeRef_Click();
  void Opt_Liste_Click();
  void Opt_Graphique_Click();
  void Option1_Click();
  void Opt_LettreInfo_Click();
  // ---- look-ups (lookup_secteur.cpp, lookup_entite.cpp) ----
  void Remplir_Combo_Secteur();
  void Remplir_Combo_Commue();
  void Txt_Secteur_Change();
  void Txt_Secteur_KeyPress(int& KeyAscii);
  void Txt_Secteur_LostFocus();
  void Cbo_Secteur_Click();
  void Cbo_Secteur_Change();
  void Remplir_Combo_Entite();
  void Cbo_Entite_KeyPress(int& KeyAscii);
  void Cbo_Entite_Click();
  void Cbo_Entite_Change();
  void Txt_Entite_Change();
  void Txt_Entite_KeyPress(int& KeyAscii);
  void Txt_Entite_LostFocus();
  void Vider_Act();
  void Afficher_Activite();
  // ---- period, criteria check, reasons (periode.cpp, selection_motif.cpp) ----
  void Txt_Debut_LostFocus();
  void Txt_Fin_LostFocus();
  void Test();
  void Afficher_Motif();
  void Remplir_Combo_Motif(const QString& family);
  void Trier_Motif();
  // ---- the request and its outputs (dispatch.cpp, outputs.cpp): short
  //      calls into the parts named at the top of this file ----
  void Cmd_Imprimer_Click();
  bool Valeurs_Refusees();
  void Imprimer(const std::function<void(int index, int copies)>& travail);
  void Copies(void (Ctr_Morvane::*page)(), int nombre);
  void Selection_Absences();
  void Select_Impression();
  void Imprimer_Planning(int index);
  void Fichier_Stat();
  void Lettre_Type();
  void Lettre_Publi();

  // ---- members ----
  std::unique_ptr<Ui::CtrMorvaneForm> form_;
  std::unique_ptr<services::Environment> environment_;
  // Destroyed before the widgets (members go before the QWidget base), so no
  // event of a dying widget reaches a procedure of a destroyed control.
  std::unique_ptr<EventAdapter> events_;
  int busyDepth_ = 0;                    // nesting of Sablier
  QPointer<QWidget> focusAvantSablier_;  // field that had the focus when the surface was disabled
  int callDepth_ = 0;                    // nesting of events and public calls
  bool closesHostWindow_ = true;
  services::Printer* apercu_ = nullptr;  // the preview's surface while the printer choice draws on it
  std::exception_ptr echecEnAttente_;  // first failure of a nested event procedure
  QString procedureEnEchec_;
  bool terminated_ = false;
};

}  // namespace morvane::control
