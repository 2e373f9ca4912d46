// The request: "Imprimer" checks the criteria, fixes the reference period,
// selects the absences and sends them to the chosen output, then unloads the
// host window. A refused criterion, a planning longer than twelve weeks or an
// empty list or planning leave the form open for another try.
#include "control/dispatch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <functional>

#include "control/a_la_sortie.h"
#include "control/ctr_morvane.h"
#include "control/selection_cache_contrats.h"
#include "control/selection_requete.h"
#include "control/variable.h"
#include "services/outils_date.h"
#include "services/output_file.h"
#include "services/printer_list.h"
#include "services/sibling_controls.h"

namespace morvane::control {

DecalageSemaine DecalagePourJour(const QString& nom) {
  struct Jour {
    const char* anglais;
    const char* francais;
    DecalageSemaine decalage;
  };
  static const Jour kJours[] = {
      {"MON", "LUN", {0, 6}}, {"TUE", "MAR", {1, 5}}, {"WED", "MER", {2, 4}}, {"THU", "JEU", {3, 3}},
      {"FRI", "VEN", {4, 2}}, {"SAT", "SAM", {5, 1}}, {"SUN", "DIM", {6, 0}},
  };
  for (const Jour& jour : kJours) {
    if (nom == QLatin1String(jour.anglais) || nom == QLatin1String(jour.francais)) return jour.decalage;
  }
  return {};
}

QString NomJour(const QDate& date, const QLocale& locale) {
  return locale.dayName(date.dayOfWeek(), QLocale::ShortFormat).left(3).toUpper();
}

std::optional<int> IndexImprimante(const QString& reponse) {
  bool nombre = false;
  const int index = reponse.trimmed().toInt(&nombre);
  if (!nombre || index == -1) return std::nullopt;
  return index;
}

namespace {

bool NonDecoche(const QCheckBox* box) { return box->checkState() != Qt::Unchecked; }

}  // namespace

void Ctr_Morvane::Cmd_Imprimer_Click() {
  Test();
  if (Erreur) {
    Erreur = false;
    return;
  }
  // A reason typed in the reason box that names no entry is refused rather
  // than read as "every reason of the ticked types".
  if (!LireMotif(*Cbo_Motif).reconnu) {
    Message(QStringLiteral("Le motif saisi ne fait pas partie de la liste des motifs."));
    Cbo_Motif->setFocus();
    return;
  }
  // What the form puts into the queries is a value: whatever the user's
  // rights, query syntax in it is refused before any query is written.
  struct Valeur {
    const char* quoi;
    QString texte;
    QWidget* champ;
    bool utilisee;
  };
  const bool avecCode = !Txt_Secteur->text().isEmpty();
  const Valeur valeurs[] = {
      {"le code secteur", Txt_Secteur->text(), Txt_Secteur, avecCode && Opt_Secteur->isChecked()},
      {"la commune", Cbo_Secteur->currentText(), Cbo_Secteur, avecCode && Opt_Com->isChecked()},
      {"le code d'entité", Txt_Entite->text(), Txt_Entite, !Txt_Entite->text().isEmpty()},
  };
  for (const Valeur& valeur : valeurs) {
    const auto syntaxe = valeur.utilisee ? SyntaxeDansValeur(valeur.texte.toStdString()) : std::nullopt;
    if (!syntaxe) continue;
    Message(QStringLiteral("Critère refusé : %1 « %2 » contient %3.")
                .arg(QString::fromUtf8(valeur.quoi), valeur.texte, *syntaxe));
    valeur.champ->setFocus();
    return;
  }

  DebutPeriode = EntierTexte(Dates().DateInterne(Txt_Debut->text()).toStdString());
  FinPeriode = EntierTexte(Dates().DateInterne(Txt_Fin->text()).toStdString());
  if (Opt_Graphique->isChecked()) {
    // The planning covers whole weeks, Monday to Sunday.
    DebutPeriode -= DecalagePourJour(NomJour(services::DateOfDay(DebutPeriode))).recul;
    FinPeriode += DecalagePourJour(NomJour(services::DateOfDay(FinPeriode))).avance;
    if (FinPeriode > DebutPeriode + kAmplitudePlanningMax) {
      Message(QStringLiteral("L'édition sous forme graphique n'est pas possible sur une amplitude de plus "
                             "de 12 semaines."),
              services::MsgIcon::Information);
      Txt_Debut->setFocus();
      return;
    }
  }

  Sablier_On();
  Selection_Absences();  // gives the pointer and the surface back

  // Prints on the printer the user chooses, pointer and surface busy meanwhile;
  // giving the choice up prints nothing. A PDF printer never writes over the
  // database's own files, and its file is announced once complete.
  const auto imprimer = [this](const std::function<void(int index)>& travail) {
    QString titre;
    const std::optional<int> index = IndexImprimante(Dates().ChoixImprimante(titre));
    Ui().ProcessEvents();
    if (!index) return;
    const services::PrinterInfo& choisie = Printers().At(*index);
    const bool fichier = choisie.kind == services::PrinterInfo::Kind::Pdf;
    if (fichier) services::RefuseInsideDatabase(choisie.outputFile, Variable::TheDatabase->Path());
    Printers().SetCurrent(*index);
    Sablier_On();
    ALaSortie restaurer([this] { Sablier_Off(false); });
    travail(*index);
    restaurer.Annuler();
    Sablier_Off();
    if (fichier && Printer().PageCount() > 0) emit fileWritten(QString::fromStdString(choisie.outputFile.string()));
  };
  // Each copy after the first starts on a new page of the same print job.
  const auto copies = [this](void (Ctr_Morvane::*page)()) {
    const int nombre = Dates().NbExemplaires();
    for (int n = 1; n <= nombre; ++n) {
      if (n != 1) Printer().NewPage();
      (this->*page)();
    }
    Printer().EndDoc();
  };

  if (Opt_Liste->isChecked() || Opt_Graphique->isChecked()) {
    if (ResultatSelection.Empty()) {
      Message(QStringLiteral("Aucune absence correspondant aux critères sélectionnés."));
      return;
    }
    if (Opt_Liste->isChecked()) {
      imprimer([&](int) { copies(&Ctr_Morvane::Select_Impression); });
    } else {
      imprimer([&](int index) {
        services::PlanningRequest demande;
        demande.database = Variable::TheDatabase;
        demande.client = Variable::TheClient;
        demande.droits = DroitsUtilisateur;
        demande.resultat = ResultatSelection;
        demande.flag5 = false;
        demande.graphique = Opt_Graphique->isChecked();
        demande.secteur = Opt_Secteur->isChecked();
        demande.commune = Opt_Com->isChecked();
        demande.arretTravail = NonDecoche(Cac_ArretTravail);
        demande.conges = NonDecoche(Cac_Conges);
        demande.autres = NonDecoche(Cac_EvtFam);
        demande.aValider = NonDecoche(Cac_AValider);
        demande.finPeriode = FinPeriode;
        demande.debutPeriode = DebutPeriode;
        demande.printerIndex = index;
        Planning().Imprimer(demande);
      });
    }
  } else if (Option1->isChecked()) {
    Fichier_Stat();
  } else if (Opt_LettreInfo->isChecked()) {
    if (Opt_LettreType->isChecked()) {
      imprimer([&](int) { copies(&Ctr_Morvane::Lettre_Type); });
    } else if (Opt_LettrePubli->isChecked()) {
      Sablier_On();
      ALaSortie restaurer([this] { Sablier_Off(false); });
      Lettre_Publi();
      restaurer.Annuler();
      Sablier_Off();
    }
  }
  Decharger_Hote();
}

}  // namespace morvane::control
