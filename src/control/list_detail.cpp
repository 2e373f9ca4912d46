// The printed absence list: the three-line block of one absence.
//
// Line 1: code, name, address, first and last day, reason label.
// Line 2: postcode and town, then the half-day markers of a leave, or the
//         confirmation / comment text of an absence awaiting validation.
// Line 3: blank.
// Widths are character columns of the fixed-pitch font; a cell is completed
// with spaces up to its width.
#include "control/list_rows.h"
#include "control/liste.h"
#include "services/outils_date.h"
#include "services/printer.h"

namespace morvane::control {
namespace {

QString Attr(const mvdb::DynArray& record, int attribute) { return QString::fromStdString(record.Item(attribute)); }

// The text completed with spaces to `width`, or its first `width` characters.
QString Cellule(const QString& text, int width) { return text.left(width).leftJustified(width, QLatin1Char(' ')); }

QString Espaces(int count) { return QString(count, QLatin1Char(' ')); }

// Reasons whose second line carries the half-day markers: the leaves.
bool EstConge(const QString& motif) {
  return (motif >= QStringLiteral("12") && motif <= QStringLiteral("17")) || motif == QStringLiteral("23") ||
         motif == QStringLiteral("25") || motif == QStringLiteral("26") || motif == QStringLiteral("27") ||
         motif == QStringLiteral("28");
}

// "dd/mm/yy" from a display date "dd/mm/yyyy".
QString DateCourte(const QString& dateExterne) { return dateExterne.left(6) + dateExterne.mid(8, 2); }

// Label printed for absences of table position 11 that began on or before
// 31/12/2011 (day 16071), when that position still meant a house move.
const QString kAncienLibelle11 = QStringLiteral("Evènement famille : déménagemen");
constexpr int kDernierJourAncienLibelle = 16071;
constexpr int kLongueurLibelle = 31;

}  // namespace

// Rewrites the first 31 characters of an observation for one printed line:
// CR LF becomes " | ", any other CR or LF is dropped.
QString ObservationSurUneLigne(const QString& observation) {
  const QString debut = observation.left(kLongueurLibelle);
  QString resultat;
  resultat.reserve(debut.size() + 8);
  for (qsizetype i = 0; i < debut.size(); ++i) {
    const QChar c = debut.at(i);
    if (c == QLatin1Char('\r') && i + 1 < debut.size() && debut.at(i + 1) == QLatin1Char('\n')) {
      resultat += QStringLiteral(" | ");
      ++i;
    } else if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) {
      resultat += c;
    }
  }
  return resultat;
}

void ListeAbsences::Imprime_Detail() {
  auto& printer = ctx_.printer;
  auto& dates = ctx_.dates;
  const std::int16_t UnCm = ctx_.unCm;
  const mvdb::DynArray& ResultatSelection = *resultat_;
  const std::string cle = ResultatSelection.Item(IndLigne, 1);
  const auto& civil = enregCivil_;
  if (!AidantVisible(ctx_.droits, civil)) return;

  const QString cleTexte = QString::fromStdString(cle);
  const QString motif = cleTexte.mid(5, 2);
  const QString premierJour = cleTexte.mid(7, 5);

  // Line 1.
  printer.SetCurrentX(static_cast<float>(UnCm * 0.1));
  printer.Print(cleTexte.left(5) + QLatin1Char(' '), true);
  const QString nom = Attr(civil, 2) + QLatin1Char(' ') + Attr(civil, 3);
  printer.Print(Cellule(nom.left(28), 30), true);

  QString adresse;
  for (int attribut : {5, 6, 7}) {
    const QString partie = Attr(civil, attribut);
    if (!partie.isEmpty()) adresse += QLatin1Char(' ') + partie;
  }
  adresse += Attr(civil, 8);
  if (adresse.isEmpty()) adresse = Attr(civil, 9);
  printer.Print(Cellule(adresse, 37), true);

  printer.Print(dates.DateExterne(premierJour) + QLatin1Char(' '), true);
  const QString dernierJour = QString::fromStdString(ResultatSelection.Item(IndLigne, 3));
  printer.Print(dernierJour.isEmpty() ? Espaces(11) : dates.DateExterne(dernierJour) + QLatin1Char(' '), true);

  const mvdb::DynArray table = ctx_.fichiers.tables.DBRead("ABSENCES");
  int position = 1;
  while (!table.Item(2, position).empty() && QString::fromStdString(table.Item(2, position)) != motif) ++position;
  if (table.Item(2, position).empty()) {
    printer.Blank();  // a reason missing from the table has no label
  } else {
    QString libelle;
    if (position == 11 && premierJour.toInt() <= kDernierJourAncienLibelle) {
      libelle = kAncienLibelle11;
    } else {
      libelle = QString::fromStdString(table.Item(3, position));
      if (motif == QStringLiteral("01")) {
        const mvdb::DynArray absence = ctx_.fichiers.absences.DBRead(CleAbsenceOrigine(ResultatSelection, IndLigne));
        const QString covid = Attr(absence, 53);
        if (!covid.isEmpty()) {
          libelle += covid == QStringLiteral("1") ? QStringLiteral("-Covid 19-garde enfant")
                                                   : QStringLiteral("-Covid 19-sans carence");
        }
      }
    }
    printer.Print(libelle.left(kLongueurLibelle) + QLatin1Char(' '));
  }

  // Line 2.
  printer.SetCurrentX(static_cast<float>(UnCm * 0.1));
  printer.Print(Espaces(36), true);
  printer.Print(Cellule(Attr(civil, 10) + QLatin1Char(' ') + Attr(civil, 11).left(30), 37), true);
  if (EstConge(motif)) {
    const bool apresMidi = ResultatSelection.Item(IndLigne, 2) == "2";
    const bool midi = ResultatSelection.Item(IndLigne, 4) == "1";
    printer.Print(apresMidi ? QStringLiteral(" après-midi") : Espaces(11), true);
    printer.Print(Espaces(7) + (midi ? QStringLiteral("midi") : QString()));
  } else if (!Coche(ctx_.criteres.aValider)) {
    printer.Print(QStringLiteral(" "));
  } else {
    const mvdb::DynArray absence = ctx_.fichiers.absences.DBRead(CleAbsenceOrigine(ResultatSelection, IndLigne));
    if (motif == QStringLiteral("22")) {
      const QString observation = Attr(absence, 29);
      printer.Print(observation.isEmpty() ? QStringLiteral(" ") : Espaces(23) + ObservationSurUneLigne(observation));
    } else if (absence.Item(28) == "1") {
      const QString propose = QString::fromStdString(absence.Item(30, 1));
      if (propose.isEmpty()) {
        printer.Print(Espaces(23) + QStringLiteral("A confirmer"));
      } else {
        const QString jusquau = QString::fromStdString(absence.Item(31, 1));
        printer.Print(Espaces(23) + QStringLiteral("Confirmer ") + DateCourte(dates.DateExterne(propose)) +
                      QStringLiteral(" au ") + DateCourte(dates.DateExterne(jusquau)));
      }
    } else {
      printer.Blank();
    }
  }

  // Line 3.
  printer.Blank();
  NoLigne = NoLigne + 3;
}

}  // namespace morvane::control
