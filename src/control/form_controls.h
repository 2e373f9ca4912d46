// The controls of the selection form, under their form names. The widgets are
// created from ctr_morvane.ui and owned by the control (Qt parent ownership);
// these are non-owning pointers, valid for the life of the control.
#pragma once

#include "control/criteres.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace morvane::control {

struct FormControls {
  // Legal entity and activity types
  QLabel* Etq_Entite = nullptr;
  QLineEdit* Txt_Entite = nullptr;        ///< entity code, 3 characters at most
  QComboBox* Cbo_Entite = nullptr;        ///< editable: a typed beginning filters on Enter
  QGroupBox* Cdr_Activites = nullptr;
  QCheckBox* Cac_Prest = nullptr;
  QCheckBox* Cac_Mandat = nullptr;

  // Absence types and reason
  QGroupBox* Cdr_SelectTypeAbs = nullptr;
  QCheckBox* Cac_ArretTravail = nullptr;
  QCheckBox* Cac_Conges = nullptr;
  QCheckBox* Cac_EvtFam = nullptr;
  QCheckBox* Cac_AValider = nullptr;
  QLabel* Etq_Motif = nullptr;
  QComboBox* Cbo_Motif = nullptr;         ///< editable; item data = reason code (int)

  // Carers: sector, commune or all
  QGroupBox* Cdr_SelectAidant = nullptr;
  QRadioButton* Opt_Secteur = nullptr;
  QRadioButton* Opt_Com = nullptr;
  QRadioButton* Opt_Tot = nullptr;
  QLabel* Etq_Secteur = nullptr;
  QLineEdit* Txt_Secteur = nullptr;
  QComboBox* Cbo_Secteur = nullptr;       ///< editable

  // Reference period
  QGroupBox* Cdr_Periode = nullptr;
  QLabel* Etq_Debut = nullptr;
  QLineEdit* Txt_Debut = nullptr;
  QLabel* Etq_Fin = nullptr;
  QLineEdit* Txt_Fin = nullptr;

  // Which absences count in the period
  QGroupBox* Cdr_SelectAbs = nullptr;
  QRadioButton* Opt_PeriodeRef = nullptr;
  QRadioButton* Opt_DebutPeriodeRef = nullptr;
  QRadioButton* Opt_FinPeriodeRef = nullptr;
  QCheckBox* Cac_PasDateRep = nullptr;

  // Sort order
  QGroupBox* Cdr_Tri = nullptr;
  QRadioButton* Opt_Alpha = nullptr;
  QRadioButton* Opt_DebutAbs = nullptr;
  QRadioButton* Opt_FinAbs = nullptr;

  // Output
  QGroupBox* Frm_Edition = nullptr;
  QRadioButton* Opt_Liste = nullptr;
  QRadioButton* Opt_Graphique = nullptr;
  QRadioButton* Option1 = nullptr;        ///< "Fichier graphique": the CSV export
  QRadioButton* Opt_LettreInfo = nullptr;
  QGroupBox* Cdr_LettreInfo = nullptr;    ///< frame without caption: its own option group
  QRadioButton* Opt_LettreType = nullptr;
  QRadioButton* Opt_LettrePubli = nullptr;

  // Picture, sibling-control placeholders (hidden at run time), buttons
  QLabel* Img_Monimage = nullptr;         ///< holder of the signature picture
  QWidget* Ctr_Vellaro1 = nullptr;
  QWidget* Ctr_Dorsany = nullptr;
  QWidget* Ctr_Brinel = nullptr;
  QPushButton* Cmd_Imprimer = nullptr;
  QPushButton* Cmd_Sortir = nullptr;

  /// Fills every pointer with the child of `form` of the same object name.
  /// Throws std::logic_error naming the first control the form lacks.
  void Bind(QWidget& form);

  /// The criteria as the form shows them now (see criteres.h). The reason is
  /// the item data of the entry whose label the reason box's text is (the
  /// selected entry, or the entry with exactly that label when the user typed
  /// it); a non-empty text that names no entry is not recognised.
  Criteres LireCriteres() const;
};

}  // namespace morvane::control
