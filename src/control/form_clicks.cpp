// Click procedures of the selection form: which check box enables which
// option, which option shows the sector/commune look-up, which output opens
// the letter sub-options.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "control/ctr_morvane.h"
#include "control/event_adapter.h"

namespace morvane::control {

// ---- absence types ----

void Ctr_Morvane::Cac_ArretTravail_Click() {
  // "qui n'ont pas de date de reprise" only makes sense for sick leave; it
  // keeps its tick while disabled.
  Cac_PasDateRep->setEnabled(true);
  Afficher_Motif();
}

void Ctr_Morvane::Cac_Conges_Click() {
  Cac_PasDateRep->setEnabled(false);
  Afficher_Motif();
}

void Ctr_Morvane::Cac_EvtFam_Click() {
  Cac_PasDateRep->setEnabled(false);
  Afficher_Motif();
}

void Ctr_Morvane::Cac_AValider_Click() {
  Cac_PasDateRep->setEnabled(false);
  Afficher_Motif();
}

// ---- carers: sector, commune or all ----

void Ctr_Morvane::Opt_Secteur_Click() {
  MontrerChampCode(QStringLiteral("Secteur"), 3);
  Remplir_Combo_Secteur();
}

void Ctr_Morvane::Opt_Com_Click() {
  MontrerChampCode(QStringLiteral("Commune"), 5);
  Remplir_Combo_Commue();
}

// Shows the code field and its list under `libelle`, for codes of `longueur`
// characters. The field is emptied before its limit changes: a longer commune
// code must not be cut to three characters and looked up as a sector.
void Ctr_Morvane::MontrerChampCode(const QString& libelle, int longueur) {
  Etq_Secteur->setVisible(true);
  Txt_Secteur->setVisible(true);
  Cbo_Secteur->setVisible(true);
  Etq_Secteur->setText(libelle);
  Txt_Secteur->setText(QString());
  Txt_Secteur->setMaxLength(longueur);
}

void Ctr_Morvane::Opt_Tot_Click() {
  Txt_Secteur->setText(QString());
  Cbo_Secteur->setEditText(QString());
  Etq_Secteur->setVisible(false);
  Txt_Secteur->setVisible(false);
  Cbo_Secteur->setVisible(false);
}

// ---- which absences count in the period ----

void Ctr_Morvane::Opt_PeriodeRef_Click() { Opt_LettreInfo->setEnabled(false); }

void Ctr_Morvane::Opt_DebutPeriodeRef_Click() { Opt_LettreInfo->setEnabled(false); }

void Ctr_Morvane::Opt_FinPeriodeRef_Click() {
  // The paid-leave letters concern sick leave that ends in the period.
  const bool sickLeaveAlone = classic::Value(Cac_ArretTravail) == 1 && classic::Value(Cac_Conges) == 0 &&
                              classic::Value(Cac_EvtFam) == 0 && classic::Value(Cac_AValider) == 0;
  Opt_LettreInfo->setEnabled(sickLeaveAlone);
}

// ---- output ----

namespace {
void EnableLetterChoice(QGroupBox* frame, QRadioButton* type, QRadioButton* publi, bool enabled) {
  // A sub-option chosen earlier stays selected while disabled.
  frame->setEnabled(enabled);
  type->setEnabled(enabled);
  publi->setEnabled(enabled);
}
}  // namespace

void Ctr_Morvane::Opt_Liste_Click() { EnableLetterChoice(Cdr_LettreInfo, Opt_LettreType, Opt_LettrePubli, false); }

void Ctr_Morvane::Opt_Graphique_Click() {
  EnableLetterChoice(Cdr_LettreInfo, Opt_LettreType, Opt_LettrePubli, false);
}

void Ctr_Morvane::Option1_Click() { EnableLetterChoice(Cdr_LettreInfo, Opt_LettreType, Opt_LettrePubli, false); }

void Ctr_Morvane::Opt_LettreInfo_Click() {
  EnableLetterChoice(Cdr_LettreInfo, Opt_LettreType, Opt_LettrePubli, true);
}

}  // namespace morvane::control
