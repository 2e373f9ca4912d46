// The paid-leave figures of the information letter: dates, amounts and lines.
#include <gtest/gtest.h>

#include <QDate>
#include <initializer_list>
#include <utility>
#include <vector>

#include "services/lettre_cp.h"
#include "services/outils_date.h"

namespace morvane::services::conges {
namespace {

using Attributs = std::initializer_list<std::pair<int, std::vector<std::string>>>;

mvdb::DynArray Record(Attributs attributs) {
  mvdb::DynArray r;
  for (const auto& [numero, valeurs] : attributs) {
    for (std::size_t v = 0; v < valeurs.size(); ++v) r.SetItem(numero, static_cast<int>(v) + 1, valeurs[v]);
  }
  return r;
}

std::string Jour(int annee, int mois, int jour) { return std::to_string(DayNumber(QDate(annee, mois, jour))); }

TEST(LeavePeriod, JuneMayYearStartsInJuneOfTheReferenceYearFromMay) {
  const auto p = Periode(QStringLiteral("202405"), true);
  EXPECT_EQ(p.debut, "01/06/2024");
  EXPECT_EQ(p.echeance, "31/05/2025");
  // The month after X is June, the month of S: A is the end of June.
  EXPECT_EQ(TexteDate(FinAcquisition(p)), "30/06/2024");
}

TEST(LeavePeriod, JuneMayYearBeforeMayStartsTheYearBefore) {
  const auto p = Periode(QStringLiteral("202404"), true);
  EXPECT_EQ(p.debut, "01/06/2023");
  EXPECT_EQ(p.echeance, "31/05/2024");
  EXPECT_EQ(TexteDate(FinAcquisition(p)), "30/04/2024");
}

TEST(LeavePeriod, CalendarYearFromDecemberIsTheNextYear) {
  const auto december = Periode(QStringLiteral("202412"), false);
  EXPECT_EQ(december.debut, "01/01/2025");
  EXPECT_EQ(december.echeance, "31/12/2025");
  // Month 13 rolls over into January, the month of S, so A is the end of January.
  EXPECT_EQ(TexteDate(FinAcquisition(december)), "31/01/2025");

  const auto march = Periode(QStringLiteral("202403"), false);
  EXPECT_EQ(march.debut, "01/01/2024");
  EXPECT_EQ(march.echeance, "31/12/2024");
  EXPECT_EQ(TexteDate(FinAcquisition(march)), "31/03/2024");
}

TEST(LeavePeriod, ReferenceMonthFallsBackOnTheContractStart) {
  EXPECT_EQ(MoisReference(Record({{7, {Jour(2019, 3, 12)}}, {63, {"202405"}}})), "202405");
  EXPECT_EQ(MoisReference(Record({{7, {Jour(2019, 3, 12)}}})), "201903");
  EXPECT_EQ(MoisReference(Record({})), "");
  EXPECT_THROW(FinAcquisition(Periode(QString(), true)), ErreurConges);
}

TEST(SeniorityDeadline, TheDayBeforeTheAnniversaryMonthKeepsTheSeniorityYearsDay) {
  const auto convention = Record({{13, {"0"}}, {28, {"0"}}});
  const auto contrat = Record({{7, {Jour(2015, 9, 1)}}, {97, {Jour(2010, 3, 15)}}});
  EXPECT_EQ(EcheanceAnciennete(Periode(QStringLiteral("202405"), true), contrat, convention), "28/02/2025");
  // 2024 is a leap year, but the day is taken from 2010.
  EXPECT_EQ(EcheanceAnciennete(Periode(QStringLiteral("202402"), true), contrat, convention), "28/02/2024");
  // Without a seniority date the start date counts; attribute 144 adds whole days.
  const auto sansAnciennete = Record({{7, {Jour(2010, 3, 15)}}, {144, {"2050"}}});  // + 20 days: 4 April
  EXPECT_EQ(EcheanceAnciennete(Periode(QStringLiteral("202405"), true), sansAnciennete, convention), "31/03/2025");
}

TEST(SeniorityDeadline, ThirtyFirstOfDecemberWhenTheAgreementSaysSo) {
  const auto contrat = Record({{97, {Jour(2010, 3, 15)}}});
  const auto juinMai = Record({{13, {"1"}}, {28, {"0"}}});
  const auto civile = Record({{13, {"1"}}, {28, {"1"}}});
  EXPECT_EQ(EcheanceAnciennete(Periode(QStringLiteral("202405"), true), contrat, juinMai), "31/12/2025");
  EXPECT_EQ(EcheanceAnciennete(Periode(QStringLiteral("202404"), true), contrat, juinMai), "31/12/2024");
  EXPECT_EQ(EcheanceAnciennete(Periode(QStringLiteral("202412"), false), contrat, civile), "31/12/2025");
  EXPECT_EQ(EcheanceAnciennete(Periode(QStringLiteral("202411"), false), contrat, civile), "31/12/2024");
}

TEST(NoticeDeadline, EndOfTheEstablishmentsMonthThisYearOrNext) {
  EXPECT_EQ(TexteDate(EcheancePrevenance(Periode(QStringLiteral("202404"), true), QStringLiteral("05"))), "31/05/2024");
  EXPECT_EQ(TexteDate(EcheancePrevenance(Periode(QStringLiteral("202405"), true), QStringLiteral("05"))), "31/05/2025");
  EXPECT_EQ(TexteDate(EcheancePrevenance(Periode(QStringLiteral("202403"), true), QStringLiteral("02"))), "28/02/2025");
  EXPECT_EQ(TexteDate(EcheancePrevenance(Periode(QStringLiteral("202405"), true), QStringLiteral("12"))), "31/12/2024");
  EXPECT_THROW(EcheancePrevenance(Periode(QStringLiteral("202405"), true), QString()), ErreurConges);
  EXPECT_THROW(EcheancePrevenance(Periode(QStringLiteral("202405"), true), QStringLiteral("13")), ErreurConges);
}

TEST(BeingAcquired, WholeDaysRoundedUpUnlessExact) {
  EXPECT_EQ(JoursEnCours("2083", false), "21");
  EXPECT_EQ(JoursEnCours("2100", false), "21");
  EXPECT_EQ(JoursEnCours("50", false), "1");
  EXPECT_EQ(JoursEnCours("", false), "");
  EXPECT_EQ(JoursEnCours("0", false), "0");
  // Counted five a week: 2500 x 5 / 6 = 2083 (whole part), then 21 days.
  EXPECT_EQ(JoursEnCours("2500", true), "21");
  EXPECT_EQ(JoursEnCours("", true), "0");
}

TEST(LeaveLines, AmountsUseTheDecimalCommaAndPluralFromTwoDays) {
  EXPECT_EQ(Montant("150"), "1,5");
  EXPECT_EQ(Montant("125"), "1,25");
  EXPECT_EQ(Montant("2500"), "25");
  const QString unite = Unite("1");
  EXPECT_EQ(LigneAcquise("150", unite, QStringLiteral("de congés payés"), QStringLiteral("31/05/2025")),
            "1,5 jour ouvré de congés payés à prendre avant 31/05/2025.");
  EXPECT_EQ(LigneAcquise("200", Unite("0"), QStringLiteral("de congés payés"), QStringLiteral("31/05/2025")),
            "2 jours ouvrables de congés payés à prendre avant 31/05/2025.");
  EXPECT_EQ(LigneAcquise("2500", unite, QStringLiteral("de congés payés"), QStringLiteral("31/05/2025")),
            "25 jours ouvrés de congés payés à prendre avant 31/05/2025.");
}

TEST(LeaveLines, BeingAcquiredLine) {
  const std::int32_t a = DayNumber(QDate(2024, 6, 30));
  EXPECT_EQ(LigneEnCours(QString(), Unite("1"), QStringLiteral("01/06/2024"), a), "Aucun jour ouvré acquis.");
  EXPECT_EQ(LigneEnCours(QStringLiteral("0"), Unite("0"), QStringLiteral("01/06/2024"), a),
            "Aucun jour ouvrable acquis.");
  EXPECT_EQ(LigneEnCours(QStringLiteral("1"), Unite("1"), QStringLiteral("01/06/2024"), a),
            "1 jour ouvré acquis sur la période du 01/06/2024 au 30/06/2024");
  EXPECT_EQ(LigneEnCours(QStringLiteral("21"), Unite("1"), QStringLiteral("01/06/2024"), a),
            "21 jours ouvrés acquis sur la période du 01/06/2024 au 30/06/2024");
}

TEST(LeaveLetter, EveryKindOfLineInOrderWithItsUnitAndDeadline) {
  const auto contrat = Record({{7, {Jour(2015, 9, 1)}},
                               {39, {"2500"}},
                               {41, {"150"}},
                               {44, {"2083"}},
                               {48, {"200"}},
                               {63, {"202405"}},
                               {97, {Jour(2010, 3, 15)}},
                               {110, {"300"}},
                               {161, {Jour(2024, 9, 30), "", Jour(2024, 12, 31)}},
                               {162, {"500", "0", "100"}}});
  const auto convention = Record({{2, {"0"}}, {12, {"1"}}, {13, {"0"}}, {28, {"0"}}, {42, {"1"}}, {76, {"0"}}});
  const auto etablissement = Record({{24, {"06"}}});
  const LettreConges l = CalculerConges(contrat, convention, etablissement);
  EXPECT_EQ(l.lignesAcquises,
            QStringList({"25 jours ouvrables de congés payés à prendre avant 31/05/2025.",
                         "1,5 jour ouvré de congés pour fractionnement à prendre avant 31/05/2025.",
                         "2 jours ouvrés de congés d'ancienneté à prendre avant 28/02/2025.",
                         "3 jours ouvrables de congé delai prévenance à prendre avant 30/06/2024.",
                         "5 jours ouvrables de congés reportés suite arrêt à prendre avant 30/09/2024.",
                         "1 jour ouvrable de congés reportés suite arrêt à prendre avant 31/12/2024."}));
  EXPECT_EQ(l.ligneEnCours, "21 jours ouvrables acquis sur la période du 01/06/2024 au 30/06/2024");
}

TEST(LeaveLetter, NoSectionOneLineWhenEveryFigureIsEmptyOrZero) {
  const auto contrat = Record({{39, {"0"}}, {63, {"202405"}}, {162, {"0"}}});
  const auto l = CalculerConges(contrat, Record({{28, {"0"}}}), Record({{24, {"05"}}}));
  EXPECT_TRUE(l.lignesAcquises.isEmpty());
  EXPECT_EQ(l.ligneEnCours, "Aucun jour ouvrable acquis.");
}

}  // namespace
}  // namespace morvane::services::conges
