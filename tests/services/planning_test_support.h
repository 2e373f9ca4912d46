// Shared helpers of the planning tests: an in-memory record source and a
// builder for result lists.
#pragma once

#include <cstdio>
#include <map>
#include <set>

#include "services/outils_date.h"
#include "services/planning_model.h"

namespace morvane::services::testing {

/// Carers, sector labels, validation flags and hidden sectors held in memory.
class FakePlanningSource : public PlanningSource {
 public:
  std::map<QString, CarerInfo> carers;
  std::map<QString, QString> sectorLabels;
  std::set<std::string> awaitingValidation;
  std::set<QString> hiddenSectors;

  CarerInfo Carer(const QString& code) override {
    auto it = carers.find(code);
    return it != carers.end() ? it->second : CarerInfo{code, {}, {}};
  }
  QString SectorLabel(const QString& code) override { return sectorLabels.contains(code) ? sectorLabels[code] : ""; }
  bool AwaitsValidation(const std::string& key) override { return awaitingValidation.count(key) > 0; }
  bool SectorVisible(const QString& sector) override { return hiddenSectors.count(sector) == 0; }
};

/// Day number of a calendar date.
inline std::int32_t Day(int year, int month, int day) { return DayNumber(QDate(year, month, day)); }

/// Absence key: carer code, two-digit reason, first day.
inline std::string AbsenceKey(const std::string& carer, int reason, std::int32_t firstDay) {
  char reasonText[3];
  std::snprintf(reasonText, sizeof reasonText, "%02d", reason);
  return carer + reasonText + std::to_string(firstDay);
}

/// Appends a row to a result list: key, start half-day, last day ("" when
/// open-ended), end half-day.
inline std::string AddAbsence(mvdb::DynArray& rows, const std::string& carer, int reason, std::int32_t firstDay,
                              const std::string& lastDay, const std::string& startHalf = "1",
                              const std::string& endHalf = "2") {
  const int row = rows.DCount() + 1;
  const std::string key = AbsenceKey(carer, reason, firstDay);
  for (const auto& [column, text] : {std::pair{1, key}, {2, startHalf}, {3, lastDay}, {4, endHalf}}) {
    rows.SetItem(row, column, text);
  }
  return key;
}

}  // namespace morvane::services::testing
