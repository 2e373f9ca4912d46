// The mail-merged letters: the contracts that would each get a letter-type
// letter are handed to the editor control (Ctr_Brinel), which merges them
// with the stored letter model. Errors are ignored as in Lettre_Type, except a
// file the editor could not write.
#include "control/ctr_morvane.h"
#include "control/lettre_contrats.h"
#include "control/variable.h"
#include "services/lettre_entete.h"
#include "services/sibling_controls.h"

namespace morvane::control {

void Ctr_Morvane::Lettre_Publi() {
  ClesContrats.clear();
  // Only the last key kept is compared: a contract met again after another is
  // listed again.
  ParcourirContrats(ResultatSelection, *DroitsAbsences, [&](const std::string& cle) {
    if (!ClesContrats.isEmpty()) ClesContrats += QLatin1Char('|');
    ClesContrats += QString::fromStdString(cle);
  });

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
