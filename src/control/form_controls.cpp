#include "control/form_controls.h"

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

}  // namespace morvane::control
