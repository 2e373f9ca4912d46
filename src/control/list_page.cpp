// The printed absence list: page geometry, headers, page breaks and frames.
//
// Every position is a multiple of UnCm (567 twips, one centimetre): fractional
// multiples are computed in floating point and handed to the printer as
// single-precision values, whole multiples in 16-bit arithmetic, as the
// original layout was drawn. The font is fixed-pitch, so columns are counts of
// characters.
#include <limits>
#include <stdexcept>

#include "control/liste.h"
#include "control/list_rows.h"
#include "services/printer.h"

namespace morvane::control {
namespace {

// A position of `centimetres` * UnCm, as the printer receives it.
float Cm(std::int16_t unCm, double centimetres) { return static_cast<float>(unCm * centimetres); }

// Abscissas of the table's column separators, in centimetres.
constexpr double kSeparators[] = {1.2, 7.5, 15.7, 18.0, 20.3};
constexpr double kTableWidthCm = 27.0;

// Draws the body of a column-separated frame between two ordinates.
void DrawSeparators(services::Printer& printer, std::int16_t unCm, float top, float bottom) {
  printer.SetDrawWidth(1);
  for (double x : kSeparators) printer.Line(Cm(unCm, x), top, Cm(unCm, x), bottom);
}

// Prints an underlined label at 0.5 cm followed by its separator, both with
// continuation; the separators are sized so that every colon stands in column
// 17 counted from 0.5 cm.
void PrintLabel(services::Printer& printer, std::int16_t unCm, const QString& label, const QString& separator) {
  printer.SetFontUnderline(true);
  printer.SetCurrentX(Cm(unCm, 0.5));
  printer.Print(label, true);
  printer.SetFontUnderline(false);
  if (!separator.isEmpty()) printer.Print(separator, true);
}

}  // namespace

ListeAbsences::ListeAbsences(Contexte contexte) : ctx_(std::move(contexte)) {}

bool ListeAbsences::LireAidant() {
  enregCivil_ = ctx_.fichiers.civil.DBRead(CodeAidant(*resultat_, IndLigne));
  return AidantVisible(ctx_.droits, enregCivil_);
}

// When the first rows belong to carers the user may not see, the group header
// waits for the first carer the user may see, so that the first page is never
// headed by a hidden carer's sector or commune and never blank. When no row at
// all may be seen, the first page still gets its framed (empty) table.
void ListeAbsences::Select_Impression(const mvdb::DynArray& resultat) {
  resultat_ = &resultat;
  auto& printer = ctx_.printer;
  NoPage = 1;
  NoLigne = 1;
  if (!printer.DeviceName().toUpper().contains(QStringLiteral("MATRIC"))) {
    printer.SetOrientation(services::kLandscape);
    NbLignesMax = 30;
  } else {
    NbLignesMax = 50;
  }
  Entete_Page();

  // The rows are read from one state of the database, its locks taken once.
  bool premiereLigne = true;
  ctx_.fichiers.base->ReadSnapshot([&] {
    IndLigne = 1;
    while (!LigneVide(resultat, IndLigne)) {
      const bool autorise = LireAidant();
      if (premiereLigne) {
        if (autorise) {
          Entete_Detail();
          premiereLigne = false;
        }
      } else if (autorise) {
        const QString secteur = QString::fromStdString(enregCivil_.Item(31));
        const QString commune = QString::fromStdString(enregCivil_.Item(11));
        if ((ctx_.criteres.aidants == ModeAidants::Secteur && secteur != CleRupture) ||
            (ctx_.criteres.aidants == ModeAidants::Commune && commune != CleRupture)) {
          New_Page();
        }
      }
      Verif_Ligne();
      ++IndLigne;
    }
  });
  if (premiereLigne) Entete_Tableau();
  Edition_Fin_Tableau();
}

void ListeAbsences::Entete_Page() {
  auto& printer = ctx_.printer;
  const std::int16_t UnCm = ctx_.unCm;
  printer.SetFontUnderline(false);
  printer.SetFontName(QStringLiteral("Courier New"));
  printer.SetFontSize(10);
  printer.Blank();
  printer.Print(QStringLiteral("Date : ") + ctx_.aujourdhui.toString(QStringLiteral("dd/MM/yyyy")) +
                QString(105, QLatin1Char(' ')) + QStringLiteral("Page : ") + QString::number(NoPage));
  printer.Blank();
  printer.Blank();

  printer.SetFontSize(14);
  printer.SetFontBold(true);
  printer.Print(QString(10, QLatin1Char(' ')) + QStringLiteral("LISTE DES AIDANTS ABSENTS ENTRE LE ") +
                    ctx_.criteres.debut + QStringLiteral(" ET LE ") + ctx_.criteres.fin,
                true);
  printer.SetFontBold(false);
  printer.SetFontSize(10);
  printer.Blank();
  printer.Blank();

  if (!ctx_.criteres.entite.isEmpty()) {
    PrintLabel(printer, UnCm, QStringLiteral("Entité juridique"), QStringLiteral(" : "));
    printer.Print(ctx_.criteres.nomEntite);
    printer.Blank();
  }

  const bool prestataire = ctx_.criteres.prestataire;
  const bool mandataire = ctx_.criteres.mandataire;
  QString activites;
  if (prestataire && mandataire) {
    activites = QStringLiteral("  : PRESTATAIRE ET MANDATAIRE");
  } else if (prestataire) {
    activites = QStringLiteral("  : PRESTATAIRE");
  } else if (mandataire) {
    activites = QStringLiteral("  : MANDATAIRE");
  }
  if (!activites.isEmpty()) {
    PrintLabel(printer, UnCm, QStringLiteral("Type d'activité"), QString());
    printer.Print(activites);
  }
  printer.Blank();
}

// Group header of the current row's carer (sector or commune), then the table
// header. With "Secteur", a carer whose sector the user may not see gets
// nothing printed at all.
void ListeAbsences::Entete_Detail() {
  auto& printer = ctx_.printer;
  if (ctx_.criteres.aidants == ModeAidants::Secteur) {
    const QString secteur = QString::fromStdString(enregCivil_.Item(31));
    if (!AidantVisible(ctx_.droits, enregCivil_)) return;
    PrintLabel(printer, ctx_.unCm, QStringLiteral("Secteur"), QStringLiteral("          : "));
    const mvdb::DynArray enregSecteur = ctx_.fichiers.secteurs.DBRead(secteur.toStdString());
    CleRupture = secteur;
    printer.Print(QString::fromStdString(enregSecteur.Item(1)));
  } else if (ctx_.criteres.aidants == ModeAidants::Commune) {
    PrintLabel(printer, ctx_.unCm, QStringLiteral("Commune"), QStringLiteral("          : "));
    CleRupture = QString::fromStdString(enregCivil_.Item(11));
    printer.Print(CleRupture);
  }
  Entete_Tableau();
}

// The framed table header, always at 5 cm from the top of the page.
void ListeAbsences::Entete_Tableau() {
  auto& printer = ctx_.printer;
  const std::int16_t UnCm = ctx_.unCm;
  const std::int16_t cinqCm = static_cast<std::int16_t>(5 * UnCm);
  printer.SetCurrentX(0);
  printer.SetCurrentY(cinqCm);
  printer.Blank();
  printer.SetFontSize(10);
  printer.Print(QStringLiteral(" CODE") + QStringLiteral("  NOM PRENOM ") + QString(18, QLatin1Char(' ')) +
                QStringLiteral(" ADRESSE ") + QString(29, QLatin1Char(' ')) + QStringLiteral(" DEBUT ") +
                QString(4, QLatin1Char(' ')) + QStringLiteral(" FIN ") + QString(6, QLatin1Char(' ')) +
                QStringLiteral(" MOTIF ABSENCE "));
  printer.Blank();

  const float haut = Cm(UnCm, 5.1);
  const float bas = static_cast<float>(static_cast<std::int16_t>(6 * UnCm));
  const float droite = static_cast<float>(static_cast<std::int16_t>(27 * UnCm));
  printer.SetDrawWidth(3);
  printer.Line(0, haut, droite, haut);
  printer.Line(0, bas, droite, bas);
  printer.Line(0, haut, 0, bas);
  printer.Line(droite, haut, droite, bas);
  DrawSeparators(printer, UnCm, haut, bas);

  NoLigne = 1;
  printer.SetCurrentX(Cm(UnCm, 0.1));
  printer.SetCurrentY(Cm(UnCm, 6.4));
}

// A full page is closed only before a block that prints: the row of a carer
// the user may not see prints nothing, and a page opened for it would be
// headed by that carer's commune (with "Secteur", by no table header at all),
// or be left empty at the end of the list. Select_Impression has just read
// the row's carer record.
void ListeAbsences::Verif_Ligne() {
  if (NoLigne >= NbLignesMax && AidantVisible(ctx_.droits, enregCivil_)) New_Page();
  Imprime_Detail();
}

void ListeAbsences::New_Page() {
  Edition_Fin_Tableau();
  NoLigne = 1;
  if (NoPage == std::numeric_limits<std::int16_t>::max()) {
    throw std::overflow_error("La liste dépasse 32767 pages.");
  }
  ++NoPage;
  if (ctx_.progres) ctx_.progres(QStringLiteral("liste : page %1").arg(NoPage));
  ctx_.printer.NewPage();
  Entete_Page();
  Entete_Detail();
}

// The table body's frame, from 6 cm down to just below the last counted line.
void ListeAbsences::Edition_Fin_Tableau() {
  auto& printer = ctx_.printer;
  const std::int16_t UnCm = ctx_.unCm;
  NoLigne = NoLigne + 1;
  const float pied = static_cast<float>(UnCm * 0.39 * NoLigne + 3402);
  const float haut = static_cast<float>(static_cast<std::int16_t>(6 * UnCm));
  const float droite = static_cast<float>(static_cast<std::int16_t>(kTableWidthCm * UnCm));
  printer.SetDrawWidth(3);
  printer.Line(0, haut, 0, pied);
  printer.Line(droite, haut, droite, pied);
  printer.Line(0, pied, droite, pied);
  DrawSeparators(printer, UnCm, haut, pied);
}

}  // namespace morvane::control
