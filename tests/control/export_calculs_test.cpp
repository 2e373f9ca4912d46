// The export's figures: day counts, monthly hours, days of the month, hours of
// absence, hourly rate and the French number form.
#include <gtest/gtest.h>

#include "control/export_calculs.h"

namespace morvane::control {
namespace {

std::string Jours(std::int32_t debut, std::int32_t fin, const char* codeDebut, const char* codeFin) {
  return NombreFrancais(JoursAbsence(debut, fin, DemiJourneesDesCodes(codeDebut, codeFin)));
}

TEST(ExportJours, FourRulesOfTheHalfDays) {
  EXPECT_EQ(Jours(100, 102, "1", "2"), "3");    // morning to evening
  EXPECT_EQ(Jours(100, 100, "2", "2"), "0,5");  // one afternoon
  EXPECT_EQ(Jours(100, 102, "2", "1"), "2");    // afternoon to midday
  EXPECT_EQ(Jours(100, 102, "1", "1"), "2,5");  // morning to midday
  EXPECT_EQ(Jours(100, 102, "", ""), "3");      // blank codes count whole
  EXPECT_EQ(Jours(100, 100, "  ", "1"), "0,5");
}

TEST(ExportJours, PeriodClipsBothEndsAndForcesWholeDays) {
  const DemiJournees demi = DemiJourneesDesCodes("2", "1");  // afternoon start, midday end
  EXPECT_EQ(NombreFrancais(JoursAbsence(100, 140, demi)), "40");
  EXPECT_EQ(NombreFrancais(JoursSurPeriode(100, 140, demi, 110, 120)), "11");
  // Only the start is clipped: the afternoon start now counts whole, the
  // midday end still counts half.
  EXPECT_EQ(NombreFrancais(JoursSurPeriode(100, 115, demi, 110, 120)), "5,5");
  // Inside the period nothing changes; a single half day gives 0,5.
  EXPECT_EQ(NombreFrancais(JoursSurPeriode(112, 115, demi, 110, 120)), "3");
  EXPECT_EQ(NombreFrancais(JoursSurPeriode(112, 112, demi, 110, 120)), "0,5");
}

mvdb::DynArray Contrat(std::vector<std::string> dates, std::vector<std::string> heures,
                       std::vector<std::string> unites) {
  mvdb::DynArray contrat;
  for (std::size_t k = 0; k < dates.size(); ++k) {
    const int v = static_cast<int>(k) + 1;
    contrat.SetItem(15, v, dates[k]);
    contrat.SetItem(24, v, heures[k]);
    contrat.SetItem(25, v, unites[k]);
  }
  return contrat;
}

TEST(ExportHeures, EveryUnitGivesTheSameMonth) {
  EXPECT_EQ(NombreFrancais(HeuresMensuelles(Contrat({"100"}, {"3500"}, {"1"}), 200)), "151,67");
  EXPECT_EQ(NombreFrancais(HeuresMensuelles(Contrat({"100"}, {"7000"}, {"2"}), 200)), "151,67");
  EXPECT_EQ(NombreFrancais(HeuresMensuelles(Contrat({"100"}, {"182000"}, {"4"}), 200)), "151,67");
  EXPECT_EQ(NombreFrancais(HeuresMensuelles(Contrat({"100"}, {"15167"}, {"3"}), 200)), "151,67");
  EXPECT_EQ(HeuresMensuelles(Contrat({"100"}, {"3500"}, {"9"}), 200), 0);  // unknown unit
  // Half a hundredth rounds up: 3 x 26 / 12 = 6,5 hundredths -> 7.
  EXPECT_EQ(NombreFrancais(HeuresMensuelles(Contrat({"100"}, {"3"}, {"2"}), 200)), "0,07");
}

TEST(ExportHeures, EntryInForceAtTheAbsenceStart) {
  const mvdb::DynArray contrat = Contrat({"15000", "16000"}, {"3500", "1750"}, {"1", "1"});
  EXPECT_EQ(NombreFrancais(HeuresMensuelles(contrat, 15999)), "151,67");
  EXPECT_EQ(NombreFrancais(HeuresMensuelles(contrat, 16000)), "75,83");
  EXPECT_EQ(HeuresMensuelles(contrat, 14999), 0);  // no entry yet
  EXPECT_EQ(HeuresMensuelles(mvdb::DynArray(), 16000), 0);
}

TEST(ExportHeures, DaysOfTheMonth) {
  EXPECT_EQ(JoursDuMois("01/02/2024", "29/02/2024"), 29);
  EXPECT_EQ(JoursDuMois("01/05/2024", "31/05/2024"), 31);
  EXPECT_EQ(JoursDuMois("01/04/2024", "30/04/2024"), 30);
  EXPECT_EQ(JoursDuMois("01/02/2023", "28/02/2023"), 28);
  EXPECT_EQ(JoursDuMois("01/03/2024", "30/03/2024"), 30);  // not the whole month
  EXPECT_EQ(JoursDuMois("01/02/2024", "28/02/2024"), 30);  // leap year, not the whole month
  EXPECT_EQ(JoursDuMois("01/02/1900", "29/02/1900"), 29);  // every fourth year is a leap year
  EXPECT_EQ(JoursDuMois("02/05/2024", "31/05/2024"), 30);
  EXPECT_EQ(JoursDuMois("01/05/2024", "31/06/2024"), 30);
}

TEST(ExportHeures, HoursOfAbsenceRoundedToHundredths) {
  EXPECT_EQ(NombreFrancais(HeuresSurPeriode(151.67, 29, 29)), "151,67");
  EXPECT_EQ(NombreFrancais(HeuresSurPeriode(151.67, JoursDuMois("05/03/2024", "14/03/2024"), 10)), "50,56");
  EXPECT_EQ(NombreFrancais(HeuresSurPeriode(151.67, 30, 0.5)), "2,53");  // 2,52783 rounds up
  EXPECT_EQ(NombreFrancais(HeuresSurPeriode(0, 30, 10)), "0");
}

TEST(ExportTaux, RateFromTheContractOrTheServer) {
  mvdb::DynArray contrat;
  contrat.SetItem(23, 1, "9800");
  contrat.SetItem(23, 2, "10500");
  ASSERT_TRUE(TauxFixeParContrat(contrat));
  EXPECT_EQ(MonnaieFrancaise(*TauxDuContrat(contrat)), "10,5");

  contrat.SetItem(23, 3, "0");
  EXPECT_FALSE(TauxFixeParContrat(contrat));
  const mvdb::DynArray arguments = ArgumentsTauxHoraire(contrat, "C0001", 2024, 3);
  EXPECT_EQ(arguments.Item(1), "C0001");
  EXPECT_EQ(arguments.Item(2), "3");
  EXPECT_EQ(arguments.Item(3), "202403");
  EXPECT_FALSE(TauxFixeParContrat(mvdb::DynArray()));
  EXPECT_EQ(ArgumentsTauxHoraire(mvdb::DynArray(), "C2", 2024, 11).Item(2), "0");

  mvdb::DynArray reponse;
  reponse.SetItem(1, "SMIC");
  reponse.SetItem(2, "11650");
  EXPECT_EQ(MonnaieFrancaise(*TauxDeLaReponse(reponse)), "11,65");
  EXPECT_FALSE(TauxDeLaReponse(mvdb::DynArray()).has_value());
}

TEST(ExportNombres, FrenchNumberForm) {
  EXPECT_EQ(NombreFrancais(0.5), "0,5");
  EXPECT_EQ(NombreFrancais(2.5), "2,5");
  EXPECT_EQ(NombreFrancais(15167.0 / 100), "151,67");
  EXPECT_EQ(NombreFrancais(12), "12");
  EXPECT_EQ(NombreFrancais(1234567), "1234567");  // no thousands separator
  EXPECT_EQ(NombreFrancais(3750.0 / 100), "37,5");
  EXPECT_EQ(NombreFrancais(0.1 + 0.2), "0,3");  // at most 15 significant digits
  EXPECT_EQ(NombreFrancais(-2.5), "-2,5");
  EXPECT_EQ(NombreFrancais(-0.0), "0");

  EXPECT_EQ(MonnaieFrancaise(105000), "10,5");
  EXPECT_EQ(MonnaieFrancaise(98765), "9,8765");
  EXPECT_EQ(MonnaieFrancaise(110000), "11");
  EXPECT_EQ(MonnaieFrancaise(0), "0");
  EXPECT_EQ(MonnaieFrancaise(*MonnaieDesMilliemes("10500.25")), "10,5002");  // half to even
  EXPECT_FALSE(MonnaieDesMilliemes("abc").has_value());
}

TEST(ExportNombres, ReadingStoredNumbers) {
  EXPECT_EQ(LireEntier(" 16071 "), 16071);
  EXPECT_EQ(LireEntier("-3"), -3);
  EXPECT_FALSE(LireEntier("").has_value());
  EXPECT_FALSE(LireEntier("12a").has_value());
  EXPECT_EQ(LireNombre("37.5"), 37.5);
  EXPECT_FALSE(LireNombre("1,5").has_value());
}

}  // namespace
}  // namespace morvane::control
