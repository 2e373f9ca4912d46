// The figures of the statistics export: days of absence, days inside the
// reference period, a contract's monthly hours, hours of absence inside the
// period and the hourly rate, with the French number form they are written in.
// Pure functions of their arguments (no database, no form), so each rule is
// tested on its own; the export (export_fichier.cpp) reads the inputs.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "mvdb/dynarray.h"

namespace morvane::control {

/// Whether the first and the last day of an absence count whole.
struct DemiJournees {
  bool premierJourEntier = true;  ///< start code "1" (morning) or blank
  bool dernierJourEntier = true;  ///< end code blank or other than "1" (evening)
};

/// The flags of a row from its start and end half-day codes (columns 2 and 4):
/// "1" means morning start / midday end; blank (spaces only) counts whole.
DemiJournees DemiJourneesDesCodes(std::string_view codeDebut, std::string_view codeFin);

/// Text of `texte` without leading and trailing spaces (spaces only, as the
/// export's "blank" tests mean it).
std::string_view SansEspaces(std::string_view texte);

/// A decimal number stored as text ("12", "-3", "37.5", " 8000 "): the
/// engine's number reader on the text without its surrounding spaces;
/// nullopt when it is no number or lies beyond a double.
std::optional<double> NombreStocke(std::string_view texte);

/// Days of absence from day `debut` to day `fin`: both days whole gives
/// fin - debut + 1; a single day with a half gives 0,5; both halves gives
/// fin - debut; exactly one half gives fin - debut + 0,5.
double JoursAbsence(std::int32_t debut, std::int32_t fin, DemiJournees demi);

/// Days of the absence inside the period [debutPeriode, finPeriode]: an end
/// outside the period is moved to the period's bound and then counts whole;
/// the rules of JoursAbsence apply to the clipped days. Day numbers are held
/// in 32 bits, so days beyond 32767 are counted exactly.
double JoursSurPeriode(std::int32_t debut, std::int32_t fin, DemiJournees demi, std::int32_t debutPeriode,
                       std::int32_t finPeriode);

/// Monthly contractual hours (in hours, two decimals) of `contrat` for an
/// absence starting on day `debut`: the working-time entry is the last one of
/// attribute 15 dated on or before `debut`; its hours (attribute 24, hundredths)
/// are brought to a month by the unit of attribute 25 ("1" week x 52 / 12,
/// "2" fortnight x 26 / 12, "3" month, "4" year / 12), rounded half up to the
/// hundredth. 0 when no entry is dated on or before `debut`, when the unit is
/// unknown or the hours are not a number. Entries whose date is not a number
/// are passed over.
double HeuresMensuelles(const mvdb::DynArray& contrat, std::int32_t debut);

/// Days of the month for the hours of absence: 30, unless the period texts
/// ("dd/mm/yyyy") cover exactly one calendar month: the same "/mm/yyyy", a
/// start on day "01" and an end on the month's last day (31 for months 01, 03,
/// 05, 07, 08, 10, 12; 29 in February of a year divisible by 4, 28 otherwise).
/// The texts are compared by character position, as displayed.
int JoursDuMois(const QString& txtDebut, const QString& txtFin);

/// Hours of absence inside the period: monthly hours / days of the month x
/// days inside the period, rounded half up to the hundredth.
double HeuresSurPeriode(double heuresMensuelles, int joursDuMois, double joursSurPeriode);

/// Hourly rate as a fixed-point amount in ten-thousandths (10,5 is 105000).
using Monnaie = std::int64_t;

/// True when the contract fixes its rate: the last value of attribute 23 is
/// neither empty nor "0". Otherwise the rate comes from "CALCCOEFFTXHOR".
bool TauxFixeParContrat(const mvdb::DynArray& contrat);
/// The current rate of a contract that fixes it (last value of attribute 23,
/// thousandths). nullopt when that value is not a number.
std::optional<Monnaie> TauxDuContrat(const mvdb::DynArray& contrat);
/// The argument array of "CALCCOEFFTXHOR": 1 the contract key, 2 the number of
/// values of attribute 23, 3 the year and month `annee`/`mois` as yyyymm.
mvdb::DynArray ArgumentsTauxHoraire(const mvdb::DynArray& contrat, const std::string& cleContrat, int annee,
                                    int mois);
/// The rate in an answer of "CALCCOEFFTXHOR" (attribute 2, thousandths);
/// nullopt when it is not a number.
std::optional<Monnaie> TauxDeLaReponse(const mvdb::DynArray& reponse);
/// A thousandths text ("10500") as a rate (105000), rounded half to even to
/// the ten-thousandth; nullopt when not a number.
std::optional<Monnaie> MonnaieDesMilliemes(std::string_view milliemes);

/// A number in the French form: decimal comma, no thousands separator, no
/// trailing zeros, at most 15 significant digits ("0,5", "151,67", "12").
/// Empty text for infinities and NaN.
std::string NombreFrancais(double valeur);
/// A rate in the French form, four decimals at most ("10,5", "9,8765", "11").
std::string MonnaieFrancaise(Monnaie taux);

}  // namespace morvane::control
