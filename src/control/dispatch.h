// Helpers of the request procedure (Cmd_Imprimer_Click): the planning's
// widening to whole weeks and the choice of printer answered as text.
#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>

namespace morvane::control {

/// Days by which a planning's start is moved back and its end moved on so
/// that it covers whole weeks from Monday to Sunday.
struct DecalageSemaine {
  int recul = 0;   ///< start moved back by
  int avance = 0;  ///< end moved on by
};

/// The shift for a day name: the first three letters, in capitals, of the
/// abbreviated day name ("MON" or "LUN" ... "SUN" or "DIM"). English and
/// French names are recognised; any other name gives no shift.
DecalageSemaine DecalagePourJour(const QString& nomJour);

/// The day name of a date as DecalagePourJour reads it: the first three
/// letters of the locale's abbreviated day name, in capitals, accents kept.
QString NomJour(const QDate& date, const QLocale& locale = QLocale::system());

/// The printer index answered by the printer choice, or nullopt when the user
/// gave up ("-1") or the answer is no number.
std::optional<int> IndexImprimante(const QString& reponse);

/// Widest planning, in days after its first day (12 weeks).
inline constexpr int kAmplitudePlanningMax = 83;

}  // namespace morvane::control
