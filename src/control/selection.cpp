// The absence selection of a request (see selection.h).
#include "control/selection.h"

#include "control/selection_exceptions.h"
#include "control/selection_requete.h"

namespace morvane::control {
namespace {

FiltreEntite Filtre(const Criteres& c, const QString& entiteDefaut, Periode periode) {
  FiltreEntite f;
  f.entite = c.entite.toStdString();
  f.entiteDefaut = entiteDefaut.toStdString();
  f.prestataire = c.prestataire;
  f.mandataire = c.mandataire;
  f.debut = periode.debut;
  f.fin = periode.fin;
  return f;
}

}  // namespace

SelectionAbsences::SelectionAbsences(Criteres criteres, Periode requete, Periode saisie, QString entiteDefaut,
                                     Fichiers fichiers)
    : criteres_(std::move(criteres)),
      requete_(requete),
      saisie_(saisie),
      entiteDefaut_(std::move(entiteDefaut)),
      fichiers_(std::move(fichiers)) {}

std::string SelectionAbsences::Texte_Requete() const {
  return RequeteAbsences(criteres_, requete_.debut, requete_.fin);
}

mvdb::DynArray SelectionAbsences::Selectionner(long& compte) const {
  mvdb::DynArray resultat = fichiers_.base->DBSelect(
      DemandeSelection(Texte_Requete(), kFichierAbsences, kAttributsAbsences).Text(), "", compte);
  MemoriserClesAbsences(resultat);
  return resultat;
}

void SelectionAbsences::Completer_Selection(mvdb::DynArray& resultat) {
  const int lignes = resultat.DCount();
  for (int i = 1; i <= lignes; ++i) {
    enregAbsence_ = fichiers_.absences.DBRead(resultat.Item(i, 1));
    if (enregAbsence_.DCount(17) == 1) resultat.SetItem(i, 6, enregAbsence_.Item(17));
    const std::string activite = enregAbsence_.Item(47);
    if (!activite.empty()) resultat.SetItem(i, 7, activite);
  }
}

// The period of the contract test is the typed one, not the planning's whole
// weeks.
void SelectionAbsences::Requete_Contrat(mvdb::DynArray& resultat) {
  FiltrerParContrat(resultat, Filtre(criteres_, entiteDefaut_, saisie_),
                    {*fichiers_.base, fichiers_.absences, fichiers_.contrats, enregAbsence_, enregContrat_});
}

void SelectionAbsences::Exception_Absences(mvdb::DynArray& resultat) {
  AppliquerPortions(resultat, Filtre(criteres_, entiteDefaut_, {}),
                    {*fichiers_.base, fichiers_.absences, fichiers_.contrats, enregAbsence_, enregContrat_});
}

}  // namespace morvane::control
