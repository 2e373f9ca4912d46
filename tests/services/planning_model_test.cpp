// The planning chart as data: rows, groups, bars on half-day slots, rights
// and the count of absent carers per day.
#include <gtest/gtest.h>

#include <stdexcept>

#include "planning_test_support.h"
#include "services/planning_model.h"

namespace morvane::services {
namespace {

using testing::AddAbsence;
using testing::Day;
using testing::AbsenceKey;
using testing::FakePlanningSource;

/// A two-week planning from Monday 2 June 2025 to Sunday 15 June 2025.
class PlanningModelTest : public ::testing::Test {
 protected:
  PlanningModelTest() {
    request.debutPeriode = first;
    request.finPeriode = last;
    source.carers["00001"] = {"MARTIN Anne", "001", "LYON"};
    source.carers["00002"] = {"BERNARD Luc", "002", "BRON"};
    source.carers["00003"] = {"ARNAUD Zoé", "001", "BRON"};
    source.sectorLabels["001"] = "NORD";
    source.sectorLabels["002"] = "SUD";
  }
  PlanningChart Build() { return BuildPlanningChart(request, source); }
  static PlanningBar OnlyBar(const PlanningChart& chart) {
    EXPECT_EQ(chart.RowCount(), 1);
    EXPECT_EQ(chart.groups.at(0).rows.at(0).bars.size(), 1u);
    return chart.groups.at(0).rows.at(0).bars.at(0);
  }

  const std::int32_t first = Day(2025, 6, 2);
  const std::int32_t last = Day(2025, 6, 15);
  PlanningRequest request;
  FakePlanningSource source;
};

TEST_F(PlanningModelTest, OneRowPerCarerSortedByNameWithAllTheirAbsences) {
  AddAbsence(request.resultat, "00001", 12, first, std::to_string(first + 1));
  AddAbsence(request.resultat, "00002", 1, first + 3, std::to_string(first + 4));
  AddAbsence(request.resultat, "00001", 8, first + 7, std::to_string(first + 7));
  const PlanningChart chart = Build();
  ASSERT_EQ(chart.groups.size(), 1u);
  EXPECT_TRUE(chart.groups[0].heading.isEmpty());
  const auto& rows = chart.groups[0].rows;
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].name, "BERNARD Luc");
  EXPECT_EQ(rows[1].name, "MARTIN Anne");
  ASSERT_EQ(rows[1].bars.size(), 2u);
  EXPECT_EQ(rows[1].bars[0].kind, AbsenceKind::Conges);
  EXPECT_EQ(rows[1].bars[1].kind, AbsenceKind::Autre);
  EXPECT_EQ(source.carerLookups["00001"], 1);  // each carer read once
}

TEST_F(PlanningModelTest, GroupsBySectorWithLabelsOrCommuneWithNames) {
  AddAbsence(request.resultat, "00002", 12, first, std::to_string(first));
  AddAbsence(request.resultat, "00001", 12, first, std::to_string(first));
  AddAbsence(request.resultat, "00003", 12, first, std::to_string(first));
  AddAbsence(request.resultat, "00009", 12, first, std::to_string(first));  // unknown carer: no sector
  request.secteur = true;
  PlanningChart chart = Build();
  ASSERT_EQ(chart.groups.size(), 3u);
  EXPECT_EQ(chart.groups[0].heading, "Secteur 001 - NORD");
  ASSERT_EQ(chart.groups[0].rows.size(), 2u);
  EXPECT_EQ(chart.groups[0].rows[0].name, "ARNAUD Zoé");
  EXPECT_EQ(chart.groups[1].heading, "Secteur 002 - SUD");
  EXPECT_EQ(chart.groups[2].heading, "Secteur non renseigné");
  EXPECT_EQ(chart.groups[2].rows[0].name, "00009");

  request.secteur = false;
  request.commune = true;
  chart = Build();
  ASSERT_EQ(chart.groups.size(), 3u);
  EXPECT_EQ(chart.groups[0].heading, "Commune : BRON");
  EXPECT_EQ(chart.groups[0].rows.size(), 2u);
  EXPECT_EQ(chart.groups[1].heading, "Commune : LYON");
  EXPECT_EQ(chart.groups[2].heading, "Commune non renseignée");
}

TEST_F(PlanningModelTest, HalfDaysStartAtMiddayAndEndAtMidday) {
  // Tuesday afternoon to Thursday midday: slots 3 (Tue pm) to 6 (Thu am).
  AddAbsence(request.resultat, "00001", 13, first + 1, std::to_string(first + 3), "2", "1");
  // An afternoon start ending at midday the same day keeps its half-day.
  AddAbsence(request.resultat, "00002", 13, first + 2, std::to_string(first + 2), "2", "1");
  const PlanningChart chart = Build();
  const PlanningBar tuesday = chart.groups[0].rows[1].bars.at(0);
  EXPECT_EQ(tuesday.firstSlot, 3);
  EXPECT_EQ(tuesday.endSlot, 7);
  EXPECT_FALSE(tuesday.startsBefore || tuesday.endsAfter);
  const PlanningBar wednesday = chart.groups[0].rows[0].bars.at(0);
  EXPECT_EQ(wednesday.firstSlot, 5);
  EXPECT_EQ(wednesday.endSlot, 6);
}

TEST_F(PlanningModelTest, AbsencesAreClippedAtThePeriodBounds) {
  // Begins ten days before the period (afternoon ignored), ends after it.
  AddAbsence(request.resultat, "00001", 1, first - 10, std::to_string(last + 5), "2", "1");
  const PlanningBar bar = OnlyBar(Build());
  EXPECT_EQ(bar.firstSlot, 0);
  EXPECT_EQ(bar.endSlot, 28);
  EXPECT_TRUE(bar.startsBefore);
  EXPECT_TRUE(bar.endsAfter);
  EXPECT_FALSE(bar.openEnded);
}

TEST_F(PlanningModelTest, OpenEndedAbsenceRunsToTheEndOfThePeriod) {
  AddAbsence(request.resultat, "00001", 1, first + 9, "", "1", "");
  const PlanningChart chart = Build();
  const PlanningBar bar = OnlyBar(chart);
  EXPECT_EQ(bar.firstSlot, 18);
  EXPECT_EQ(bar.endSlot, 28);
  EXPECT_TRUE(bar.openEnded);
  EXPECT_TRUE(bar.endsAfter);
  EXPECT_EQ(chart.absentPerDay[8], 0);
  EXPECT_EQ(chart.absentPerDay[9], 1);
  EXPECT_EQ(chart.absentPerDay[13], 1);
}

TEST_F(PlanningModelTest, AbsencesOutsideThePeriodAreLeftOutButTheCarerKeepsARow) {
  AddAbsence(request.resultat, "00001", 1, first - 10, std::to_string(first - 1));
  AddAbsence(request.resultat, "00001", 1, last + 1, std::to_string(last + 3));
  const PlanningChart chart = Build();
  ASSERT_EQ(chart.RowCount(), 1);
  EXPECT_TRUE(chart.groups[0].rows[0].bars.empty());
}

TEST_F(PlanningModelTest, CarersOfHiddenSectorsAreNotDrawnNorCounted) {
  source.hiddenSectors.insert("002");
  AddAbsence(request.resultat, "00002", 1, first, std::to_string(first + 2));
  AddAbsence(request.resultat, "00001", 1, first, std::to_string(first));
  AddAbsence(request.resultat, "00002", 12, first + 5, std::to_string(first + 6));
  const PlanningChart chart = Build();
  ASSERT_EQ(chart.RowCount(), 1);
  EXPECT_EQ(chart.groups[0].rows[0].carerCode, "00001");
  EXPECT_EQ(chart.absentPerDay[0], 1);
  EXPECT_EQ(chart.absentPerDay[1], 0);
  EXPECT_EQ(source.carerLookups["00002"], 1);
}

TEST_F(PlanningModelTest, CountsEachAbsentCarerOncePerDay) {
  // Carer 1: two overlapping absences on day 1; a half day on day 3.
  AddAbsence(request.resultat, "00001", 12, first, std::to_string(first + 1));
  AddAbsence(request.resultat, "00001", 8, first + 1, std::to_string(first + 1));
  AddAbsence(request.resultat, "00001", 8, first + 3, std::to_string(first + 3), "2", "2");
  AddAbsence(request.resultat, "00002", 1, first + 1, std::to_string(first + 3), "1", "1");
  const PlanningChart chart = Build();
  ASSERT_EQ(chart.absentPerDay.size(), 14u);
  EXPECT_EQ(chart.absentPerDay[0], 1);
  EXPECT_EQ(chart.absentPerDay[1], 2);
  EXPECT_EQ(chart.absentPerDay[2], 1);
  EXPECT_EQ(chart.absentPerDay[3], 2);
  EXPECT_EQ(chart.absentPerDay[4], 0);
}

TEST_F(PlanningModelTest, RowsStopAtTheFirstEmptyKey) {
  AddAbsence(request.resultat, "00001", 1, first, std::to_string(first));
  request.resultat.SetItem(3, 1, AbsenceKey("00002", 1, first));  // after an empty row 2
  EXPECT_EQ(Build().RowCount(), 1);
}

TEST_F(PlanningModelTest, TypesFollowTheReasonFamiliesAndTheValidationFlag) {
  // Letter of each reason code from 1 to 60 ('E' also for codes of no family).
  const std::string letters = "AAAAAAEEEEECCCCCCEEEEVCECCCCAACE"
                              "EEEEEEEEEEEEEEEEEEEEEEEEEEEE";
  for (int code = 1; code <= 60; ++code) {
    EXPECT_EQ(KindLetter(KindOfReason(code, false)), QLatin1Char(letters[code - 1])) << code;
  }
  EXPECT_EQ(KindOfReason(12, true), AbsenceKind::AValider);

  const std::string key = AddAbsence(request.resultat, "00001", 1, first, std::to_string(first));
  source.awaitingValidation.insert(key);
  EXPECT_EQ(OnlyBar(Build()).kind, AbsenceKind::AValider);
}

TEST_F(PlanningModelTest, RefusesReversedOrTooLongPeriods) {
  request.finPeriode = first - 1;
  EXPECT_THROW(Build(), std::invalid_argument);
  request.finPeriode = first + 83;  // 12 weeks exactly
  EXPECT_NO_THROW(Build());
  request.finPeriode = first + 84;
  EXPECT_THROW(Build(), std::invalid_argument);
}

}  // namespace
}  // namespace morvane::services
