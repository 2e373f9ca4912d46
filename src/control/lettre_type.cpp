// The letter-type letters: one paid-leave information letter per distinct
// contract met in the selected absences, printed in Courier New 11 on the
// current printer, a new page for every letter but the first of the copy.
//
// A letter run ignores errors the way the office expects it to: a failing
// statement of the run is skipped, a failure inside one letter ends that
// letter, and the run goes on with the next contract. Failures are logged.
#include <QDebug>
#include <QLabel>
#include <algorithm>

#include "control/ctr_morvane.h"
#include "control/lettre_contrats.h"
#include "control/list_rows.h"
#include "control/variable.h"
#include "services/lettre_entete.h"
#include "services/output_file.h"
#include "services/printer.h"
#include "services/ui_services.h"

namespace morvane::control {
namespace {

// The record of `cle` in `fichier`, or an empty record when it cannot be read.
mvdb::DynArray LireOuVide(const mvdb::DbFile& fichier, const char* cle) {
  mvdb::DynArray record;
  Ignorer("lecture de TABLES", [&] { record = fichier.DBRead(cle); });
  return record;
}

// Prints `texte` at abscissa `x` with a line end.
void ImprimerA(services::Printer& printer, double x, const QString& texte) {
  printer.SetCurrentX(x);
  printer.Print(texte);
}

void Blancs(services::Printer& printer, int nombre) {
  for (int i = 0; i < nombre; ++i) printer.Blank();
}

}  // namespace

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
                       const std::function<void(const std::string& cle)>& lettre) {
  std::string derniere;  // key of the contract given a letter last
  for (int ligne = 1; !LigneVide(resultat, ligne); ++ligne) {
    const bool lu = Ignorer("lecture de l'aidant et de l'absence", [&] {
      Variable::EnregCivil = Variable::FicCivil.DBRead(CodeAidant(resultat, ligne));
      Variable::EnregAbsence = Variable::FicAbsence.DBRead(CleAbsenceOrigine(resultat, ligne));
    });
    if (!lu || !AidantVisible(droits, Variable::EnregCivil)) continue;
    const mvdb::DynArray absence = Variable::EnregAbsence;  // kept: a letter may read other absences
    const int contrats = absence.DCount(17);
    for (int j = 1; j <= contrats; ++j) {
      const std::string cle = absence.Item(17, j);
      if (cle == derniere) continue;
      try {
        Variable::EnregContrat = Variable::FicContrat.DBRead(cle);
      } catch (const mvdb::DbError& e) {
        if (!e.IsNotFound()) qWarning().noquote() << "Lettre d'information : contrat" << cle.c_str() << ":" << e.what();
        continue;
      }
      if (Variable::EnregContrat.Item(1) == "02") continue;  // agent mode: no letter
      Ignorer("lettre", [&] { lettre(cle); });
      derniere = cle;
    }
  }
}

void Ctr_Morvane::Lettre_Type() {
  TableNatureVoie = LireOuVide(Variable::FicTables, "NATUREVOIE");
  TableTitres = LireOuVide(Variable::FicTables, "TITRES");
  Ignorer("police", [&] {
    Printer().SetFontName(QStringLiteral("Courier New"));
    Printer().SetFontSize(11);
  });

  int lettres = 0;
  ParcourirContrats(ResultatSelection, *DroitsAbsences, [&](const std::string&) {
    if (lettres > 0) Ignorer("nouvelle page", [&] { Printer().NewPage(); });
    Ui().Progress(QStringLiteral("lettre %1").arg(++lettres));
    Imprime_Page_Lettre_Type();
  });

  TableNatureVoie = mvdb::DynArray();
  TableTitres = mvdb::DynArray();
}

// The top of one letter from the current contract and carer records, then the
// paid-leave lines. The legal entity's street type and the carer's title and
// street type are replaced in memory by their labels.
void Ctr_Morvane::Imprime_Page_Lettre_Type() {
  auto& printer = Printer();
  Variable::EnregAssociation = Variable::FicAssociation.DBRead(Variable::EnregContrat.Item(2));
  Variable::EnregEtablissement = Variable::FicEtablissement.DBRead(Variable::EnregContrat.Item(3));
  Variable::EnregConvention = Variable::FicConvention.DBRead(Variable::EnregContrat.Item(1));

  const double unCm = UnCm;
  const double quatreCm = static_cast<std::int16_t>(4 * UnCm);
  const double onzeCm = static_cast<std::int16_t>(11 * UnCm);

  printer.SetFontBold(false);  // a letter ended by a failure may have left it on
  Blancs(printer, 2);

  services::lettre::RemplacerCode(Variable::EnregAssociation, 5, TableNatureVoie);
  const auto employeur = services::lettre::Employeur(Variable::EnregAssociation);
  printer.SetFontBold(true);
  ImprimerA(printer, unCm, employeur.nom);
  printer.SetFontBold(false);
  ImprimerA(printer, unCm, employeur.rue);
  ImprimerA(printer, unCm, employeur.complement);
  if (!employeur.ville.isEmpty()) ImprimerA(printer, unCm, employeur.ville);
  ImprimerA(printer, unCm, employeur.cedex);  // empty: a blank line of the same height
  ImprimerA(printer, unCm, employeur.telephone);
  ImprimerA(printer, unCm, employeur.courriel);
  Blancs(printer, 4);

  services::lettre::RemplacerCode(Variable::EnregCivil, 1, TableTitres);
  services::lettre::RemplacerCode(Variable::EnregCivil, 7, TableNatureVoie);
  const auto destinataire = services::lettre::DestinataireDe(Variable::EnregCivil);
  printer.SetFontBold(true);
  ImprimerA(printer, onzeCm, destinataire.nom);
  printer.SetFontBold(false);
  printer.Blank();
  for (const QString& ligne : destinataire.adresse) ImprimerA(printer, onzeCm, ligne);
  Blancs(printer, 4);

  // A long town and month would cross the printable area's right edge: the
  // line then ends at that edge.
  const QString lieuEtDate = services::lettre::LieuEtDate(Variable::EnregAssociation, Ui().Today());
  const double placeADroite = printer.ScaleWidth() - printer.TextWidth(lieuEtDate);
  ImprimerA(printer, std::max(0.0, std::min(onzeCm, placeADroite)), lieuEtDate);
  Blancs(printer, 4);
  ImprimerA(printer, quatreCm, destinataire.titre + QLatin1Char(','));
  Blancs(printer, 2);
  for (const QString& ligne : services::lettre::TexteOuverture()) ImprimerA(printer, unCm, ligne);

  printer.Blank();
  printer.SetFontBold(true);
  ImprimerA(printer, unCm, QString::fromUtf8(services::lettre::kTitreAcquis));
  printer.SetFontBold(false);
  printer.Blank();

  LigneCP();
}

}  // namespace morvane::control
