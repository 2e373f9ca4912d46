// The letter-type letters: one paid-leave information letter per distinct
// contract met in the selected absences, printed in Courier New 11 on the
// current printer, a new page for every letter but the first of the copy.
//
// A letter run ignores errors the way the office expects it to: a failing
// statement of the run is skipped, a failure inside one letter ends that
// letter, and the run goes on with the next contract. Failures are logged.
#include "control/lettre_type.h"

#include <algorithm>

#include "control/lettre_contrats.h"
#include "services/lettre_entete.h"
#include "services/printer.h"

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

LettresType::LettresType(Contexte contexte) : ctx_(std::move(contexte)) {}

void LettresType::Lettre_Type(const mvdb::DynArray& resultat) {
  auto& printer = ctx_.printer;
  TableNatureVoie = LireOuVide(ctx_.fichiers.tables, "NATUREVOIE");
  TableTitres = LireOuVide(ctx_.fichiers.tables, "TITRES");
  Ignorer("police", [&] {
    printer.SetFontName(QStringLiteral("Courier New"));
    printer.SetFontSize(11);
  });

  int lettres = 0;
  ParcourirContrats(resultat, ctx_.droits, ctx_.fichiers,
                    [&](const std::string&, mvdb::DynArray& civil, const mvdb::DynArray& contrat) {
                      if (lettres > 0) Ignorer("nouvelle page", [&] { printer.NewPage(); });
                      ++lettres;
                      if (ctx_.progres) ctx_.progres(QStringLiteral("lettre %1").arg(lettres));
                      civil_ = &civil;
                      contrat_ = &contrat;
                      Imprime_Page_Lettre_Type();
                    });
}

// The top of one letter from the current contract and carer records, then the
// paid-leave lines. The legal entity's street type and the carer's title and
// street type are replaced in memory by their labels.
void LettresType::Imprime_Page_Lettre_Type() {
  auto& printer = ctx_.printer;
  const mvdb::DynArray& contrat = *contrat_;
  association_ = ctx_.fichiers.associations.DBRead(contrat.Item(2));
  etablissement_ = ctx_.fichiers.etablissements.DBRead(contrat.Item(3));
  convention_ = ctx_.fichiers.conventions.DBRead(contrat.Item(1));

  const double unCm = ctx_.unCm;
  const double quatreCm = static_cast<std::int16_t>(4 * ctx_.unCm);
  const double onzeCm = static_cast<std::int16_t>(11 * ctx_.unCm);

  printer.SetFontBold(false);  // a letter ended by a failure may have left it on
  Blancs(printer, 2);

  services::lettre::RemplacerCode(association_, 5, TableNatureVoie);
  const auto employeur = services::lettre::Employeur(association_);
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

  services::lettre::RemplacerCode(*civil_, 1, TableTitres);
  services::lettre::RemplacerCode(*civil_, 7, TableNatureVoie);
  const auto destinataire = services::lettre::DestinataireDe(*civil_);
  printer.SetFontBold(true);
  ImprimerA(printer, onzeCm, destinataire.nom);
  printer.SetFontBold(false);
  printer.Blank();
  for (const QString& ligne : destinataire.adresse) ImprimerA(printer, onzeCm, ligne);
  Blancs(printer, 4);

  // A long town and month would cross the printable area's right edge: the
  // line then ends at that edge.
  const QString lieuEtDate = services::lettre::LieuEtDate(association_, ctx_.aujourdhui);
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
