// Ctr_Morvane: the absence-reporting control. A host places it on one of its
// windows, hands it the database client, the database and the user's rights,
// then calls INIT; from then on the control runs its selection form and
// unloads the host window itself when it is done.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "control/form_controls.h"
#include "control/instance_state.h"
#include "mvdb/database.h"
#include "services/droits.h"
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
class CtrMorvaneTestAccess;  // tests only: reaches the private procedures and state

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

  // ---- host contract: write-only properties, in the order the host sets them ----
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

 signals:
  // Declared for hosts of the classic interface; never emitted.
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
  friend class CtrMorvaneTestAccess;

  // ---- outside components (Environment) ----
  services::UiServices& Ui();               ///< message boxes, pointer, events, today
  services::PrinterList& Printers();        ///< the platform's printer list
  services::Printer& Printer();             ///< the current printer; throws PrinterError when none
  services::OutilsDate& Dates();            ///< OutilsDate::Instance()
  services::PlanningControl& Planning();    ///< Ctr_Vellaro1; throws std::logic_error when absent
  services::SignatureControl& Signature();  ///< Ctr_Dorsany; idem
  services::EditorControl& Editor();        ///< Ctr_Brinel; idem
  const services::Environment& Env() const { return *environment_; }

  // ---- shared helpers (ctr_morvane.cpp) ----
  /// Hourglass pointer and the whole surface disabled; nests.
  void Sablier_On();
  /// Lets pending events be processed (surface still disabled) when asked,
  /// then restores the default pointer and enables the surface.
  void Sablier_Off(bool processEvents = true);
  /// Message box titled "Message QUENTARIS" with one OK button.
  void Message(const QString& text, services::MsgIcon icon = services::MsgIcon::Exclamation);
  /// Asks the host to unload its window (as "Sortir" does).
  void Decharger_Hote();
  /// The event boundary: runs an event procedure and lets no exception out.
  /// The first failure is kept; when the outermost procedure ends it is shown
  /// in a message box ("<procedure> : <reason>") and the pointer and surface
  /// are restored. Procedures nested in INIT make INIT fail instead.
  void Evenement(const char* name, const std::function<void()>& procedure);
  /// Shows the kept failure, if any, and restores the pointer and surface.
  void Signaler_Echec();
  /// Connects every form control to its event procedure (control_events.cpp).
  void Brancher_Evenements();

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
  /// Shows the code field and its list under that label, for codes of that length.
  void MontrerChampCode(const QString& libelle, int longueur);
  void Opt_PeriodeRef_Click();
  void Opt_DebutPeriodeRef_Click();
  void Opt_FinPeriodeRef_Click();
  void Opt_Liste_Click();
  void Opt_Graphique_Click();
  void Option1_Click();
  void Opt_LettreInfo_Click();

  // ---- look-ups: sector and commune (lookup_secteur.cpp) ----
  void Remplir_Combo_Secteur();
  void Remplir_Combo_Commue();
  void Txt_Secteur_Change();
  void Txt_Secteur_KeyPress(int& KeyAscii);
  void Txt_Secteur_LostFocus();
  void Cbo_Secteur_Click();
  void Cbo_Secteur_Change();

  // ---- look-ups: legal entity and activity types (lookup_entite.cpp) ----
  void Remplir_Combo_Entite();
  void Cbo_Entite_KeyPress(int& KeyAscii);
  void Cbo_Entite_Click();
  void Cbo_Entite_Change();
  void Txt_Entite_Change();
  void Txt_Entite_KeyPress(int& KeyAscii);
  void Txt_Entite_LostFocus();
  void Vider_Act();
  void Afficher_Activite();

  // ---- reference period and criteria check (periode.cpp) ----
  void Txt_Debut_LostFocus();
  void Txt_Fin_LostFocus();
  void Test();

  // ---- absence reasons (selection_motif.cpp) ----
  void Afficher_Motif();
  void Remplir_Combo_Motif(const QString& family);
  void Trier_Motif();

  // ---- selection and dispatch (dispatch.cpp, selection_*.cpp) ----
  void Cmd_Imprimer_Click();
  /// The absence selection of a request: builds and runs the query into
  /// ResultatSelection, then filters by contract or completes the rows.
  void Selection_Absences();
  /// The query text of the absence selection for the form's criteria.
  std::string Texte_Requete_Absences();
  /// Completion path: columns 6 and 7 from each row's absence record.
  void Completer_Selection();
  void Requete_Contrat();
  void Exception_Absences();

  // ---- printed list (list_page.cpp, list_detail.cpp) ----
  void Select_Impression();
  void Entete_Page();
  void Entete_Detail();
  void Entete_Tableau();
  void Verif_Ligne();
  void New_Page();
  void Edition_Fin_Tableau();
  void Imprime_Detail();

  // ---- CSV export (export_fichier.cpp; its day, hour and rate figures are
  //      pure functions in export_calculs.h) ----
  void Fichier_Stat();

  // ---- letters (lettre_type.cpp, lettre_cp.cpp, lettre_publi.cpp) ----
  void Lettre_Type();
  void Imprime_Page_Lettre_Type();
  void LigneCP();
  void Lettre_Publi();

  // ---- members ----
  std::unique_ptr<Ui::CtrMorvaneForm> form_;
  std::unique_ptr<services::Environment> environment_;
  // Destroyed before the widgets (members go before the QWidget base), so no
  // event of a dying widget reaches a procedure of a destroyed control.
  std::unique_ptr<EventAdapter> events_;
  int busyDepth_ = 0;               // nesting of Sablier_On
  QPointer<QWidget> focusAvantSablier_;  // field that had the focus when the surface was disabled
  int callDepth_ = 0;               // nesting of events and public calls
  bool closesHostWindow_ = true;
  std::exception_ptr echecEnAttente_;  // first failure of a nested event procedure
  QString procedureEnEchec_;
  bool terminated_ = false;
};

}  // namespace morvane::control
