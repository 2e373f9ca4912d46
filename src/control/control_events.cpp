// Which procedure each control's events run (see event_adapter.h for when).
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "control/ctr_morvane.h"
#include "control/event_adapter.h"

namespace morvane::control {

void Ctr_Morvane::Brancher_Evenements() {
  EventAdapter& on = *events_;
#define MORVANE_ON(kind, control, event) on.kind(control, #control "_" #event, [this] { control##_##event(); })
#define MORVANE_ON_KEY(control) \
  on.OnKeyPress(control, #control "_KeyPress", [this](int& KeyAscii) { control##_KeyPress(KeyAscii); })

  // legal entity
  MORVANE_ON(OnChange, Txt_Entite, Change);
  MORVANE_ON_KEY(Txt_Entite);
  MORVANE_ON(OnLostFocus, Txt_Entite, LostFocus);
  MORVANE_ON(OnChange, Cbo_Entite, Change);
  MORVANE_ON(OnClick, Cbo_Entite, Click);
  MORVANE_ON_KEY(Cbo_Entite);

  // absence types
  MORVANE_ON(OnClick, Cac_ArretTravail, Click);
  MORVANE_ON(OnClick, Cac_Conges, Click);
  MORVANE_ON(OnClick, Cac_EvtFam, Click);
  MORVANE_ON(OnClick, Cac_AValider, Click);

  // sector or commune
  MORVANE_ON(OnClick, Opt_Secteur, Click);
  MORVANE_ON(OnClick, Opt_Com, Click);
  MORVANE_ON(OnClick, Opt_Tot, Click);
  MORVANE_ON(OnChange, Txt_Secteur, Change);
  MORVANE_ON_KEY(Txt_Secteur);
  MORVANE_ON(OnLostFocus, Txt_Secteur, LostFocus);
  MORVANE_ON(OnChange, Cbo_Secteur, Change);
  MORVANE_ON(OnClick, Cbo_Secteur, Click);

  // period
  MORVANE_ON(OnLostFocus, Txt_Debut, LostFocus);
  MORVANE_ON(OnLostFocus, Txt_Fin, LostFocus);
  MORVANE_ON(OnClick, Opt_PeriodeRef, Click);
  MORVANE_ON(OnClick, Opt_DebutPeriodeRef, Click);
  MORVANE_ON(OnClick, Opt_FinPeriodeRef, Click);

  // output
  MORVANE_ON(OnClick, Opt_Liste, Click);
  MORVANE_ON(OnClick, Opt_Graphique, Click);
  MORVANE_ON(OnClick, Option1, Click);
  MORVANE_ON(OnClick, Opt_LettreInfo, Click);

  // buttons
  MORVANE_ON(OnClick, Cmd_Imprimer, Click);
  MORVANE_ON(OnClick, Cmd_Sortir, Click);
#undef MORVANE_ON
#undef MORVANE_ON_KEY
}

}  // namespace morvane::control
