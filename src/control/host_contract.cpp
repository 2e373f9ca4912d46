// The host contract: INIT, the print right, "Sortir" and termination.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <stdexcept>
#include <utility>

#include "control/ctr_morvane.h"
#include "control/a_la_sortie.h"
#include "control/event_adapter.h"
#include "control/procedure.h"
#include "control/variable.h"

namespace morvane::control {

void Ctr_Morvane::INIT() {
  if (Variable::TheDatabase == nullptr) {
    throw std::logic_error("INIT called before TheDatabase was set: the host must hand in the database first");
  }
  if (!DroitsAbsences) {
    throw std::logic_error("INIT called before DroitsUtilisateur was set: the host must hand in the user's rights");
  }
  // Changes made while INIT fills the form run their procedures nested in
  // INIT, so that their failure fails INIT instead of showing a message.
  ++callDepth_;
  ALaSortie sortir([this] { --callDepth_; });
  {
    Sablier sablier(*this);
    Procedure::Ouvrir_Fichiers();
    Variable::EnregCompteur = Variable::FicCompteur.DBRead("999");
    EntiteDefaut = QString::fromStdString(Variable::EnregCompteur.Item(47));
    UnCm = 567;
    Remplir_Combo_Secteur();
    Remplir_Combo_Entite();
    TabMotif = mvdb::DynArray();
    Cbo_Motif->setEditText(QString());
  }
  // A failure of a procedure run by a change made here fails INIT too.
  if (echecEnAttente_) std::rethrow_exception(std::exchange(echecEnAttente_, nullptr));
  if (classic::Enabled(Txt_Entite)) Txt_Entite->setFocus(Qt::OtherFocusReason);
  Opt_LettreInfo->setEnabled(false);
  Verifier_Droits();
}

void Ctr_Morvane::Verifier_Droits() {
  // Level 2 may print; any other level may only leave. Once hidden, the
  // button stays hidden for the life of the instance.
  if (DroitsAbsences->NiveauAcces() != 2) Cmd_Imprimer->setVisible(false);
}

void Ctr_Morvane::Cmd_Sortir_Click() {
  // The host window's closing destroys the control, which closes the files.
  Decharger_Hote();
}

void Ctr_Morvane::UserControl_Terminate() {
  if (terminated_) return;
  terminated_ = true;
  ListeSecteur = mvdb::DynArray();
  ResultatSelection = mvdb::DynArray();
  DroitsUtilisateur.reset();
  DroitsAbsences.reset();
  // Module state: this closes the files and releases the database for every
  // instance of the process. The client is not released.
  Procedure::Fermer_Fichiers();
}

}  // namespace morvane::control
