#include "control/form_controls.h"

#include "control/event_adapter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <stdexcept>
#include <string>

namespace morvane::control {
namespace {

template <typename W>
void Find(QWidget& form, W*& slot, const char* name) {
  slot = form.findChild<W*>(QString::fromLatin1(name));
  if (slot == nullptr) {
    throw std::logic_error(std::string("the form has no control named ") + name + " of the expected kind");
  }
}

}  // namespace

void FormControls::Bind(QWidget& form) {
#define MORVANE_BIND(name) Find(form, name, #name)
  MORVANE_BIND(Etq_Entite);
  MORVANE_BIND(Txt_Entite);
  MORVANE_BIND(Cbo_Entite);
  MORVANE_BIND(Cdr_Activites);
  MORVANE_BIND(Cac_Prest);
  MORVANE_BIND(Cac_Mandat);
  MORVANE_BIND(Cdr_SelectTypeAbs);
  MORVANE_BIND(Cac_ArretTravail);
  MORVANE_BIND(Cac_Conges);
  MORVANE_BIND(Cac_EvtFam);
  MORVANE_BIND(Cac_AValider);
  MORVANE_BIND(Etq_Motif);
  MORVANE_BIND(Cbo_Motif);
  MORVANE_BIND(Cdr_SelectAidant);
  MORVANE_BIND(Opt_Secteur);
  MORVANE_BIND(Opt_Com);
  MORVANE_BIND(Opt_Tot);
  MORVANE_BIND(Etq_Secteur);
  MORVANE_BIND(Txt_Secteur);
  MORVANE_BIND(Cbo_Secteur);
  MORVANE_BIND(Cdr_Periode);
  MORVANE_BIND(Etq_Debut);
  MORVANE_BIND(Txt_Debut);
  MORVANE_BIND(Etq_Fin);
  MORVANE_BIND(Txt_Fin);
  MORVANE_BIND(Cdr_SelectAbs);
  MORVANE_BIND(Opt_PeriodeRef);
  MORVANE_BIND(Opt_DebutPeriodeRef);
  MORVANE_BIND(Opt_FinPeriodeRef);
  MORVANE_BIND(Cac_PasDateRep);
  MORVANE_BIND(Cdr_Tri);
  MORVANE_BIND(Opt_Alpha);
  MORVANE_BIND(Opt_DebutAbs);
  MORVANE_BIND(Opt_FinAbs);
  MORVANE_BIND(Frm_Edition);
  MORVANE_BIND(Opt_Liste);
  MORVANE_BIND(Opt_Graphique);
  MORVANE_BIND(Option1);
  MORVANE_BIND(Opt_LettreInfo);
  MORVANE_BIND(Cdr_LettreInfo);
  MORVANE_BIND(Opt_LettreType);
  MORVANE_BIND(Opt_LettrePubli);
  MORVANE_BIND(Img_Monimage);
  MORVANE_BIND(Ctr_Vellaro1);
  MORVANE_BIND(Ctr_Dorsany);
  MORVANE_BIND(Ctr_Brinel);
  MORVANE_BIND(Cmd_Imprimer);
  MORVANE_BIND(Cmd_Sortir);
#undef MORVANE_BIND
}

namespace {

bool Coche(const QCheckBox* box) { return box->checkState() == Qt::Checked; }

}  // namespace

Criteres FormControls::LireCriteres() const {
  Criteres c;
  c.arretTravail = classic::Value(Cac_ArretTravail);
  c.conges = classic::Value(Cac_Conges);
  c.autres = classic::Value(Cac_EvtFam);
  c.aValider = classic::Value(Cac_AValider);
  if (const QString texte = Cbo_Motif->currentText(); !texte.isEmpty()) {
    int index = Cbo_Motif->currentIndex();
    if (index < 0 || Cbo_Motif->itemText(index) != texte) {
      index = Cbo_Motif->findText(texte, Qt::MatchExactly | Qt::MatchCaseSensitive);
    }
    c.motifReconnu = index >= 0;
    if (index >= 0) c.motif = Cbo_Motif->itemData(index).toInt();
  }

  c.aidants = Opt_Secteur->isChecked() ? ModeAidants::Secteur
              : Opt_Com->isChecked()   ? ModeAidants::Commune
                                       : ModeAidants::Tous;
  c.codeSecteur = Txt_Secteur->text();
  c.nomCommune = Cbo_Secteur->currentText();

  c.entite = Txt_Entite->text();
  c.nomEntite = Cbo_Entite->currentText();
  c.prestataire = Coche(Cac_Prest);
  c.mandataire = Coche(Cac_Mandat);
  const int entites = Cbo_Entite->count();
  const bool unSeulType = classic::Enabled(Cac_Prest) && classic::Enabled(Cac_Mandat) && c.prestataire != c.mandataire;
  c.parContrat = !c.entite.isEmpty() && (entites >= 2 || (entites == 1 && unSeulType));

  c.debut = Txt_Debut->text();
  c.fin = Txt_Fin->text();
  c.periode = Opt_PeriodeRef->isChecked()        ? ModePeriode::DansPeriode
              : Opt_DebutPeriodeRef->isChecked() ? ModePeriode::DebutDansPeriode
              : Opt_FinPeriodeRef->isChecked()   ? ModePeriode::FinDansPeriode
                                                 : ModePeriode::Aucune;
  c.pasDateReprise = Coche(Cac_PasDateRep);
  c.tri = Opt_DebutAbs->isChecked() ? Tri::Debut : Opt_FinAbs->isChecked() ? Tri::Fin : Tri::Alphabetique;

  c.sortie = Opt_Graphique->isChecked()    ? Sortie::Planning
             : Option1->isChecked()        ? Sortie::Fichier
             : Opt_LettreInfo->isChecked() ? Sortie::Lettres
             : Opt_Liste->isChecked()      ? Sortie::Liste
                                           : Sortie::Aucune;
  c.lettre = Opt_LettreType->isChecked()    ? Lettre::Type
             : Opt_LettrePubli->isChecked() ? Lettre::Publipostage
                                            : Lettre::Aucune;
  return c;
}

}  // namespace morvane::control
