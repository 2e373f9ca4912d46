// The planning chart as data, compared whole: groups and rows, bars on
// half-day slots clipped to the period, the rights, the absent carers per day.
#include <gtest/gtest.h>

#include "planning_test_support.h"

namespace morvane::services {
namespace {

using testing::AddAbsence;
using testing::Day;

/// The chart in one text: "heading:" then "  name: bars" per row, a bar being
/// "<kind letter>first-end" with "<" starts before, ">" ends after, "~" open
/// ended; then "absent: <count per day>".
QString Decrire(const PlanningChart& chart) {
  QStringList lines;
  for (const PlanningGroup& group : chart.groups) {
    lines << group.heading + ":";
    for (const PlanningRow& row : group.rows) {
      QString bars;
      for (const PlanningBar& b : row.bars) {
        bars += QStringLiteral(" %1%2-%3").arg(KindLetter(b.kind)).arg(b.firstSlot).arg(b.endSlot) +
                (b.startsBefore ? "<" : "") + (b.endsAfter ? ">" : "") + (b.openEnded ? "~" : "");
      }
      lines << "  " + row.name + ":" + bars;
    }
  }
  QString counts;
  for (int n : chart.absentPerDay) counts += QString::number(n);
  return (lines << "absent: " + counts).join('\n');
}

/// A two-week planning from Monday 2 June 2025 to Sunday 15 June 2025.
class PlanningModel : public ::testing::Test {
 protected:
  PlanningModel() {
    source.carers["00001"] = {"MARTIN Anne", "001", "LYON"};
    source.carers["00002"] = {"BERNARD Luc", "002", "BRON"};
    source.carers["00003"] = {"ARNAUD Zoé", "001", "BRON"};
    source.sectorLabels["001"] = "NORD";
    source.sectorLabels["002"] = "SUD";
  }
  QString Chart(const std::function<void(PlanningRequest&)>& rows) {
    PlanningRequest request;
    request.debutPeriode = first;
    request.finPeriode = first + 13;
    rows(request);
    return Decrire(BuildPlanningChart(request, source));
  }
  void Add(PlanningRequest& r, const char* carer, int reason, int from, int to, const char* half = "12") {
    AddAbsence(r.resultat, carer, reason, first + from, to == 99 ? "" : std::to_string(first + to),
               std::string(1, half[0]), std::string(1, half[1]));
  }

  const std::int32_t first = Day(2025, 6, 2);
  testing::FakePlanningSource source;
};

TEST_F(PlanningModel, WholeCharts) {
  const std::tuple<const char*, std::function<void(PlanningRequest&)>, const char*> cas[] = {
      {"one row per carer sorted by name, a carer counted once a day",
       [&](PlanningRequest& r) {
         Add(r, "00001", 12, 0, 1), Add(r, "00002", 1, 1, 3, "11"), Add(r, "00001", 8, 1, 1),
             Add(r, "00001", 8, 3, 3, "22");
       },
       ":\n  BERNARD Luc: A2-7\n  MARTIN Anne: C0-4 E2-4 E7-8\nabsent: 12120000000000"},
      {"half days start and end at midday; one afternoon keeps its half",
       [&](PlanningRequest& r) { Add(r, "00001", 13, 1, 3, "21"), Add(r, "00002", 13, 2, 2, "21"); },
       ":\n  BERNARD Luc: C5-6\n  MARTIN Anne: C3-7\nabsent: 01210000000000"},
      {"clipped at both bounds, open-ended to the end, outside the period left out",
       [&](PlanningRequest& r) {
         Add(r, "00001", 1, -10, 20, "21"), Add(r, "00002", 1, 9, 99, "1 "), Add(r, "00003", 1, -10, -1),
             Add(r, "00003", 1, 14, 16);
       },
       ":\n  ARNAUD Zoé:\n  BERNARD Luc: A18-28>~\n  MARTIN Anne: A0-28<>\nabsent: 11111111122222"},
      {"grouped by sector, an unknown carer under no sector",
       [&](PlanningRequest& r) {
         r.secteur = true;
         for (const char* carer : {"00002", "00001", "00003", "00009"}) Add(r, carer, 12, 0, 0);
       },
       "Secteur 001 - NORD:\n  ARNAUD Zoé: C0-2\n  MARTIN Anne: C0-2\nSecteur 002 - SUD:\n  BERNARD Luc: C0-2\n"
       "Secteur non renseigné:\n  00009: C0-2\nabsent: 40000000000000"},
      {"grouped by commune",
       [&](PlanningRequest& r) {
         r.commune = true;
         for (const char* carer : {"00002", "00001", "00003", "00009"}) Add(r, carer, 12, 0, 0);
       },
       "Commune : BRON:\n  ARNAUD Zoé: C0-2\n  BERNARD Luc: C0-2\nCommune : LYON:\n  MARTIN Anne: C0-2\n"
       "Commune non renseignée:\n  00009: C0-2\nabsent: 40000000000000"},
      {"the rows stop at the first empty key",
       [&](PlanningRequest& r) {
         Add(r, "00001", 1, 0, 0);
         r.resultat.SetItem(3, 1, testing::AbsenceKey("00002", 1, first));
       },
       ":\n  MARTIN Anne: A0-2\nabsent: 10000000000000"},
  };
  for (const auto& [quoi, rows, chart] : cas) EXPECT_EQ(Chart(rows).toStdString(), chart) << quoi;

  // A hidden sector: no row, not counted.
  source.hiddenSectors.insert("002");
  EXPECT_EQ(Chart([&](PlanningRequest& r) { Add(r, "00002", 1, 0, 2), Add(r, "00001", 1, 0, 0), Add(r, "00002", 12, 5, 6); }),
            ":\n  MARTIN Anne: A0-2\nabsent: 10000000000000");
}

TEST_F(PlanningModel, TypesFollowTheReasonFamiliesAndTheValidationFlag) {
  // Letter of each reason code from 1 to 60 ('E' also for codes of no family).
  QString letters;
  for (int code = 1; code <= 60; ++code) letters += KindLetter(KindOfReason(code, false));
  EXPECT_EQ(letters, "AAAAAAEEEEECCCCCCEEEEVCECCCCAACEEEEEEEEEEEEEEEEEEEEEEEEEEEEE");
  source.awaitingValidation.insert(testing::AbsenceKey("00001", 12, first));
  EXPECT_EQ(Chart([&](PlanningRequest& r) { Add(r, "00001", 12, 0, 0); }), ":\n  MARTIN Anne: V0-2\nabsent: 10000000000000");
}

}  // namespace
}  // namespace morvane::services
