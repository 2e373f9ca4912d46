// Paid-leave figures of the information letter: the reference month, the
// leave period, the deadlines, the leave being acquired and the text of every
// leave line. Pure functions of the contract (CONTRAT), collective-agreement
// (CONVENTIONCOL) and establishment (ETABLISSEMENT) records, so the printed
// letter and the mail merge compute the same figures with the same code.
//
// Figures of days are stored in hundredths of a day; dates are internal day
// numbers (day 1 = 1 January 1968). Texts are compared as texts where the
// letter compares them as texts (months "05" >= "05"), years are computed as
// numbers and written back as digits.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "mvdb/dynarray.h"

namespace morvane::services::conges {

/// A date of the letter that cannot be computed from the records (a reference
/// month or a deadline month that names no month). The letter stops there.
class ErreurConges : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// "ouvré" (five working days a week) when the agreement flag is "1",
/// otherwise "ouvrable" (six a week).
QString Unite(const std::string& drapeauOuvre);

/// The numeric value of a text read as the letter reads figures: leading
/// blanks, an optional sign, digits and an optional decimal point, up to the
/// first other character; 0 for empty or non-numeric text.
double Valeur(const std::string& texte);

/// A figure in hundredths as an amount of days in the French form: decimal
/// comma, no trailing zeros ("150" -> "1,5", "2500" -> "25").
QString Montant(const std::string& centiemes);

/// "dd/mm/yyyy" of a day number.
QString TexteDate(std::int32_t jour);
/// "dd/mm/yyyy" of a day number written as text; "" when the text is no number.
QString TexteDate(const std::string& jour);

/// X, the reference month "yyyymm": contract attribute 63 when not empty,
/// otherwise the year and month of the start date (attribute 7); "" when both
/// are empty.
QString MoisReference(const mvdb::DynArray& contrat);

/// The leave year of a reference month.
struct PeriodeConges {
  QString moisReference;  ///< X
  QString annee;          ///< Y, characters 1-4 of X
  QString mois;           ///< M, characters 5-6 of X
  QString debut;          ///< S, first day of the leave year, "dd/mm/yyyy"
  QString echeance;       ///< E, the day before which paid leave is taken
};

/// S and E of reference month X. June-May year (agreement attribute 28 "0"):
/// from 1 June of Y when M >= "05", of Y - 1 otherwise, to 31 May a year later.
/// Calendar year: the next year when M is "12", the year Y otherwise.
PeriodeConges Periode(const QString& moisReference, bool anneeJuinMai);

/// A, the end of acquisition: the last day of the month X, or of the month
/// after it when the month after X is the month of S (month 13 rolls over into
/// January). Throws ErreurConges when X is no "yyyymm" number.
std::int32_t FinAcquisition(const PeriodeConges& periode);

/// D1, the seniority-leave deadline as "dd/mm/yyyy". With agreement attribute
/// 13 "1": 31 December of Y, or of Y + 1 when the leave year starts after X's
/// year (June-May with M >= "05", calendar with M "12"). Otherwise the
/// anniversary N = seniority date (attribute 97, else the start date 7) plus
/// the whole days of attribute 144 / 100; D1 is the last day of the month
/// before N's month, day and month taken in N's own year, in year Y + 1 when
/// M >= N's month and Y otherwise.
QString EcheanceAnciennete(const PeriodeConges& periode, const mvdb::DynArray& contrat,
                           const mvdb::DynArray& convention);

/// D2, the notice-delay deadline: the last day of the month `moisEtablissement`
/// (ETABLISSEMENT attribute 24, two digits) of year Y when M < that month,
/// otherwise of Y + 1. Throws ErreurConges when the month is not 01-12.
std::int32_t EcheancePrevenance(const PeriodeConges& periode, const QString& moisEtablissement);

/// B, the whole days being acquired, as text: attribute 44 (hundredths of days
/// counted six a week), brought to five a week (x 5 / 6, whole part) when the
/// paid leave is counted "ouvré", then in days, rounded up to the next whole
/// day unless it ends in "00". Empty or "0" stays as it is.
QString JoursEnCours(const std::string& attribut44, bool ouvre);

/// One section-1 line: "<amount> jour(s) <unit>(s) <label> à prendre avant
/// <deadline>.", plural from 200 hundredths on. `libelle` is e.g. "de congés
/// payés".
QString LigneAcquise(const std::string& centiemes, const QString& unite, const QString& libelle,
                     const QString& echeance);

/// The section-2 line of B: "Aucun jour <unit> acquis." when B is empty or
/// "0", otherwise "<B> jour(s) <unit>(s) acquis sur la période du <S> au <A>".
QString LigneEnCours(const QString& joursEnCours, const QString& unite, const QString& debut,
                     std::int32_t finAcquisition);

/// "Veuillez agréer, <title>, nos salutations distinguées."
QString FormuleDePolitesse(const QString& titre);

/// Everything the letter prints about paid leave for one contract.
struct LettreConges {
  PeriodeConges periode;
  std::int32_t finAcquisition = 0;    ///< A
  QString echeanceAnciennete;         ///< D1 "dd/mm/yyyy"
  std::int32_t echeancePrevenance = 0;  ///< D2
  QString joursEnCours;               ///< B
  QString uniteConges;                ///< unit of paid leave (agreement 2)
  QStringList lignesAcquises;         ///< section 1 in order, lines with an empty or "0" figure left out
  QString ligneEnCours;               ///< section 2
};

/// Computes the letter's figures in its order: X, S and E, A, D1, D2, B, then
/// the lines (paid leave 39, split holidays 41, seniority 48, notice delay 110,
/// then each carried-over leave 162/161). Throws ErreurConges at the first
/// date that cannot be computed.
LettreConges CalculerConges(const mvdb::DynArray& contrat, const mvdb::DynArray& convention,
                            const mvdb::DynArray& etablissement);

}  // namespace morvane::services::conges
