// The form's criteria as one value: what a request reads from the form. The
// form is read once when "Imprimer" is pressed (FormControls::LireCriteres)
// and the value is handed to the selection and to the outputs, which read no
// widget themselves.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

namespace morvane::control {

/// Which absences count in the reference period ("Sélection des absences").
enum class ModePeriode {
  DansPeriode,       ///< overlapping the period
  DebutDansPeriode,  ///< first day inside the period
  FinDansPeriode,    ///< last day inside the period
  Aucune,            ///< no option selected: no period condition
};

/// How the carers are chosen and grouped ("Sélection / Tri des aidants").
enum class ModeAidants { Secteur, Commune, Tous };

/// The sort order ("Tri"): by name, by first day or by last day of absence.
enum class Tri { Alphabetique, Debut, Fin };

/// The output ("Edition"); the letters have their own sub-option. Aucune: no
/// option selected (a click on "Lettre d'information" already selected, with
/// a letter sub-option selected, unselects it): the request outputs nothing.
enum class Sortie { Liste, Planning, Fichier, Lettres, Aucune };
enum class Lettre { Aucune, Type, Publipostage };

/// A check box as the classic form reads it: 0 unticked, 1 ticked, 2 grayed.
/// Some rules count a grayed box as ticked, others do not.
inline bool Coche(int valeur) { return valeur == 1; }
inline bool NonDecoche(int valeur) { return valeur != 0; }

struct Criteres {
  // Absence types and reason: box values (see Coche).
  int arretTravail = 0;  ///< Cac_ArretTravail
  int conges = 0;        ///< Cac_Conges
  int autres = 0;        ///< Cac_EvtFam
  int aValider = 0;      ///< Cac_AValider
  /// The reason chosen in Cbo_Motif (its item data), none for an empty text.
  std::optional<std::int32_t> motif;
  /// False when a text typed in Cbo_Motif names no entry of the list.
  bool motifReconnu = true;

  // Carers.
  ModeAidants aidants = ModeAidants::Secteur;
  QString codeSecteur;  ///< Txt_Secteur: a sector or commune code
  QString nomCommune;   ///< Cbo_Secteur's text (the commune's name in commune mode)

  // Legal entity and activity types.
  QString entite;            ///< Txt_Entite
  QString nomEntite;         ///< Cbo_Entite's text, as the list heading prints it
  bool prestataire = false;  ///< Cac_Prest ticked
  bool mandataire = false;   ///< Cac_Mandat ticked
  /// The entity narrows the selection by contract: an entity is typed and
  /// several are offered, or the only one offers both activity types and just
  /// one of them is ticked.
  bool parContrat = false;

  // Period, which absences count, return date, sort.
  QString debut;  ///< Txt_Debut as displayed ("dd/mm/yyyy")
  QString fin;    ///< Txt_Fin
  ModePeriode periode = ModePeriode::DansPeriode;
  bool pasDateReprise = false;  ///< Cac_PasDateRep ticked, enabled or not
  Tri tri = Tri::Alphabetique;

  // Output.
  Sortie sortie = Sortie::Liste;
  Lettre lettre = Lettre::Aucune;
};

}  // namespace morvane::control
