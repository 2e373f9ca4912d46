// The request's selection and outputs: each procedure hands the criteria the
// form was read into, the rows and the module's files to its widget-free part.
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <filesystem>

#include "control/ctr_morvane.h"
#include "control/export_fichier.h"
#include "control/fichiers.h"
#include "control/lettre_contrats.h"
#include "control/lettre_type.h"
#include "control/liste.h"
#include "control/selection.h"
#include "control/variable.h"
#include "mvdb/numbers.h"
#include "services/lettre_entete.h"
#include "services/outils_date.h"
#include "services/sibling_controls.h"

namespace morvane::control {

// The query and the filters read one state of the database, even while
// another office imports, and take its locks once for their many reads.
// Pending events are processed after the query and after the filters.
void Ctr_Morvane::Selection_Absences() {
  SelectionAbsences selection(CriteresDemande, {DebutPeriode, FinPeriode}, {DebutSaisi, FinSaisi}, EntiteDefaut,
                              Fichiers::DuModule());
  Variable::TheDatabase->ReadSnapshot([&] {
    {
      Sablier sablier(*this);
      long compte = 0;
      ResultatSelection = selection.Selectionner(compte);
      Ui().Progress(QStringLiteral("%1 absences sélectionnées").arg(compte));
    }
    if (selection.ParContrat()) {
      Sablier sablier(*this);
      selection.Requete_Contrat(ResultatSelection);
      selection.Exception_Absences(ResultatSelection);
    } else {
      selection.Completer_Selection(ResultatSelection);
    }
  });
}

void Ctr_Morvane::Select_Impression() {
  const Fichiers fichiers = Fichiers::DuModule();
  ListeAbsences liste({CriteresDemande, fichiers, Printer(), *DroitsAbsences, Dates(), Ui().Today(), UnCm,
                       [this](const QString& etape) { Ui().Progress(etape); }});
  liste.Select_Impression(ResultatSelection);
}

void Ctr_Morvane::Fichier_Stat() {
  std::string nom;
  {
    Sablier sablier(*this, /*traiterEvenements=*/false);
    const QDate aujourdhui = Ui().Today();
    ParametresExport parametres;
    parametres.formatLong = CriteresDemande.prestataire;
    parametres.txtDebut = CriteresDemande.debut;
    parametres.txtFin = CriteresDemande.fin;
    parametres.debutPeriode = mvdb::ParseInteger(Dates().DateInterne(parametres.txtDebut).toStdString());
    parametres.finPeriode = mvdb::ParseInteger(Dates().DateInterne(parametres.txtFin).toStdString());
    parametres.aujourdhui = aujourdhui;
    parametres.droits = DroitsAbsences;
    LignesExport lignes(Fichiers::DuModule(), std::move(parametres), Dates());
    nom = EcrireExport(lignes, ResultatSelection, *Variable::TheDatabase, Variable::FicStat, aujourdhui,
                       [this](int ecrites) { Ui().Progress(QStringLiteral("fichier : %1 lignes").arg(ecrites)); });
    // Directory files live in their own folder of the database (beside an
    // embedded file, under the server's directory root).
    emit fileWritten(QString::fromStdString(
        (Variable::TheDatabase->DirectoryFolder("STATAIDANT") / nom).string()));
  }
  const QString sansExtension = QString::fromStdString(nom.substr(0, nom.size() - 4));
  Message(QStringLiteral("Le fichier ") + sansExtension +
          QStringLiteral(".csv a été généré dans le répertoire STATAIDANT."));
}

void Ctr_Morvane::Lettre_Type() {
  const Fichiers fichiers = Fichiers::DuModule();
  LettresType lettres({fichiers, Printer(), *DroitsAbsences,
                       [this]() -> services::SignatureControl& { return Signature(); }, Ui().Today(), UnCm,
                       [this](const QString& etape) { Ui().Progress(etape); },
                       [this](const QImage& image) {
                         if (image.isNull()) {
                           Img_Monimage->clear();
                         } else {
                           Img_Monimage->setPixmap(QPixmap::fromImage(image));
                         }
                       }});
  lettres.Lettre_Type(ResultatSelection);
}

// The contracts that would each get a letter-type letter are handed to the
// editor control (Ctr_Brinel), which merges them with the stored letter
// model. Errors are ignored as in Lettre_Type, except a file the editor could
// not write.
void Ctr_Morvane::Lettre_Publi() {
  QString ClesContrats = ClesPublipostage(ResultatSelection, *DroitsAbsences, Fichiers::DuModule());
  Ignorer("publipostage", [&] {
    auto& editeur = Editor();
    editeur.SetBase(Variable::TheDatabase);
    editeur.SetClient(Variable::TheClient);
    editeur.SetDroits(DroitsUtilisateur);
    editeur.SetCleModele(QString::fromUtf8(services::lettre::kTypeLettre) + QStringLiteral("00000000"));
    editeur.SetParametre(QString());
    editeur.SetListeCles(ClesContrats);
    QString retour;  // the editor's answer: the two files written, joined by "|", on its first line
    editeur.SetRetour(retour);
    editeur.Executer();
    const QStringList fichiers = retour.section(QLatin1Char('\n'), 0, 0).split(QLatin1Char('|'));
    if (fichiers.size() == 2) {
      for (const QString& fichier : fichiers) emit fileWritten(fichier);
    }
  });
}

}  // namespace morvane::control
