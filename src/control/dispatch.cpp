// The request: "Imprimer" checks the criteria, fixes the reference period,
// selects the absences and sends them to the chosen output, then unloads the
// host window. A refused criterion, a planning longer than twelve weeks or an
// empty list or planning leave the form open for another try.
#include "control/dispatch.h"

#include <QComboBox>
#include <QLineEdit>
#include <functional>

#include "control/a_la_sortie.h"
#include "control/ctr_morvane.h"
#include "control/selection_contrat.h"
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

void Ctr_Morvane::Cmd_Imprimer_Click() {
  Test();
  if (Erreur) {
    Erreur = false;
    return;
  }
  CriteresDemande = LireCriteres();
  // A reason typed in the reason box that names no entry is refused rather
  // than read as "every reason of the ticked types".
  if (!CriteresDemande.motifReconnu) {
    Message(QStringLiteral("Le motif saisi ne fait pas partie de la liste des motifs."));
    Cbo_Motif->setFocus();
    return;
  }
  if (Valeurs_Refusees()) return;

  DebutSaisi = JourStocke(Dates().DateInterne(CriteresDemande.debut).toStdString());
  FinSaisi = JourStocke(Dates().DateInterne(CriteresDemande.fin).toStdString());
  DebutPeriode = DebutSaisi;
  FinPeriode = FinSaisi;
  if (CriteresDemande.sortie == Sortie::Planning) {
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

  Selection_Absences();
  switch (CriteresDemande.sortie) {
    case Sortie::Liste:
    case Sortie::Planning:
      if (ResultatSelection.Empty()) {
        Message(QStringLiteral("Aucune absence correspondant aux critères sélectionnés."));
        return;
      }
      if (CriteresDemande.sortie == Sortie::Liste) {
        Imprimer([this](int, int copies) { Copies(&Ctr_Morvane::Select_Impression, copies); });
      } else {
        Imprimer([this](int index, int) { Imprimer_Planning(index); });
      }
      break;
    case Sortie::Fichier:
      Fichier_Stat();
      break;
    case Sortie::Lettres:
      if (CriteresDemande.lettre == Lettre::Type) {
        Imprimer([this](int, int copies) { Copies(&Ctr_Morvane::Lettre_Type, copies); });
      } else if (CriteresDemande.lettre == Lettre::Publipostage) {
        Sablier sablier(*this);
        Lettre_Publi();
      }
      break;
    case Sortie::Aucune:
      break;
  }
  Decharger_Hote();
}

// What the form puts into the queries is a value: whatever the user's rights,
// query syntax in it is refused before any query is written, the field that
// holds it taking the focus.
bool Ctr_Morvane::Valeurs_Refusees() {
  struct Valeur {
    const char* quoi;
    QString texte;
    QWidget* champ;
    bool utilisee;
  };
  const Criteres& c = CriteresDemande;
  const bool avecCode = !c.codeSecteur.isEmpty();
  const Valeur valeurs[] = {
      {"le code secteur", c.codeSecteur, Txt_Secteur, avecCode && c.aidants == ModeAidants::Secteur},
      {"la commune", c.nomCommune, Cbo_Secteur, avecCode && c.aidants == ModeAidants::Commune},
      {"le code d'entité", c.entite, Txt_Entite, !c.entite.isEmpty()},
  };
  for (const Valeur& valeur : valeurs) {
    const auto syntaxe = valeur.utilisee ? SyntaxeDansValeur(valeur.texte.toStdString()) : std::nullopt;
    if (!syntaxe) continue;
    Message(QStringLiteral("Critère refusé : %1 « %2 » contient %3.")
                .arg(QString::fromUtf8(valeur.quoi), valeur.texte, *syntaxe));
    valeur.champ->setFocus();
    return true;
  }
  return false;
}

// Prints on the printer the user chooses, pointer and surface busy meanwhile;
// giving the choice up prints nothing. The choice's preview draws the same
// work on its own surface. A PDF printer never writes over the database's own
// files, and its file is announced once complete.
void Ctr_Morvane::Imprimer(const std::function<void(int index, int copies)>& travail) {
  Dates().ProposerApercu([this, &travail](services::Printer& surface, int index, int copies) {
    apercu_ = &surface;
    ALaSortie fin([this] { apercu_ = nullptr; });
    Sablier sablier(*this, /*traiterEvenements=*/false);
    travail(index, copies);
  });
  std::optional<int> index;
  {
    ALaSortie retirer([this] { Dates().ProposerApercu({}); });
    QString titre;
    index = IndexImprimante(Dates().ChoixImprimante(titre));
  }
  Ui().ProcessEvents();
  if (!index) return;
  const services::PrinterInfo& choisie = Printers().At(*index);
  const bool fichier = choisie.kind == services::PrinterInfo::Kind::Pdf;
  if (fichier) services::RefuseInsideDatabase(choisie.outputFile, Variable::TheDatabase->Path(),
                                               Variable::TheDatabase->DirectoryRoot());
  Printers().SetCurrent(*index);
  {
    Sablier sablier(*this);
    travail(*index, Dates().NbExemplaires());
  }
  if (fichier && Printer().PageCount() > 0) emit fileWritten(QString::fromStdString(choisie.outputFile.string()));
}

// Each copy after the first starts on a new page of the same print job.
void Ctr_Morvane::Copies(void (Ctr_Morvane::*page)(), int nombre) {
  for (int n = 1; n <= nombre; ++n) {
    if (n != 1) Printer().NewPage();
    (this->*page)();
  }
  Printer().EndDoc();
}

void Ctr_Morvane::Imprimer_Planning(int index) {
  services::PlanningRequest demande;
  demande.database = Variable::TheDatabase;
  demande.client = Variable::TheClient;
  demande.droits = DroitsUtilisateur;
  demande.resultat = ResultatSelection;
  demande.flag5 = false;
  demande.graphique = CriteresDemande.sortie == Sortie::Planning;
  demande.secteur = CriteresDemande.aidants == ModeAidants::Secteur;
  demande.commune = CriteresDemande.aidants == ModeAidants::Commune;
  demande.arretTravail = NonDecoche(CriteresDemande.arretTravail);
  demande.conges = NonDecoche(CriteresDemande.conges);
  demande.autres = NonDecoche(CriteresDemande.autres);
  demande.aValider = NonDecoche(CriteresDemande.aValider);
  demande.finPeriode = FinPeriode;
  demande.debutPeriode = DebutPeriode;
  demande.printerIndex = index;
  demande.surface = apercu_;
  Planning().Imprimer(demande);
}

}  // namespace morvane::control
