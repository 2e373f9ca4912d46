// The walk over the selected absences' contracts that the letters share.
#include "control/lettre_contrats.h"

#include <QDebug>

#include "control/list_rows.h"
#include "mvdb/errors.h"
#include "services/output_file.h"
#include "services/printer.h"

namespace morvane::control {

bool Ignorer(const char* quoi, const std::function<void()>& instruction) {
  try {
    instruction();
    return true;
  } catch (const services::PrinterError&) {
    throw;
  } catch (const services::OutputError&) {
    throw;
  } catch (const std::exception& e) {
    qWarning().noquote() << "Lettre d'information :" << quoi << ":" << e.what();
    return false;
  }
}

void ParcourirContrats(const mvdb::DynArray& resultat, const services::DroitsFichier& droits,
                       const Fichiers& fichiers, const LettreContrat& lettre) {
  std::string derniere;  // key of the contract given a letter last
  mvdb::DynArray civil;
  mvdb::DynArray absence;
  for (int ligne = 1; !LigneVide(resultat, ligne); ++ligne) {
    const bool lu = Ignorer("lecture de l'aidant et de l'absence", [&] {
      civil = fichiers.civil.DBRead(CodeAidant(resultat, ligne));
      absence = fichiers.absences.DBRead(CleAbsenceOrigine(resultat, ligne));
    });
    if (!lu || !AidantVisible(droits, civil)) continue;
    const int contrats = absence.DCount(17);
    for (int j = 1; j <= contrats; ++j) {
      const std::string cle = absence.Item(17, j);
      if (cle == derniere) continue;
      std::optional<mvdb::DynArray> contrat;
      try {
        contrat = fichiers.contrats.Find(cle);
      } catch (const mvdb::DbError& e) {
        qWarning().noquote() << "Lettre d'information : contrat" << cle.c_str() << ":" << e.what();
      }
      if (!contrat || contrat->Item(1) == "02") continue;  // agent mode: no letter
      Ignorer("lettre", [&] { lettre(cle, civil, *contrat); });
      derniere = cle;
    }
  }
}

QString ClesPublipostage(const mvdb::DynArray& resultat, const services::DroitsFichier& droits,
                         const Fichiers& fichiers) {
  QString cles;
  ParcourirContrats(resultat, droits, fichiers, [&](const std::string& cle, mvdb::DynArray&, const mvdb::DynArray&) {
    if (!cles.isEmpty()) cles += QLatin1Char('|');
    cles += QString::fromStdString(cle);
  });
  return cles;
}

}  // namespace morvane::control
