// The planning chart as data: one row per carer, grouped by sector or commune,
// each absence turned into a bar of half-day slots clipped to the period, and
// the number of absent carers per day. No drawing here (see planning_painter.h).
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "services/sibling_controls.h"

namespace morvane::services {

/// The four absence types a planning distinguishes, each with a letter code.
enum class AbsenceKind { Arret, Conges, Autre, AValider };

/// 'A', 'C', 'E' or 'V'.
QChar KindLetter(AbsenceKind kind);
/// "Arrêt de travail", "Congés", "Autres" or "A valider".
QString KindLabel(AbsenceKind kind);
/// Type of an absence from its two-digit reason code: up to 6, 29, 30 a work
/// stoppage; 12-17, 23, 25-28, 31 leave; 22 or `awaitsValidation` to be
/// validated; everything else (7-11, 24, 32, 50 and above, and the codes of no
/// family) "other".
AbsenceKind KindOfReason(int reasonCode, bool awaitsValidation);

/// What the planning needs to know about one carer.
struct CarerInfo {
  QString name;     ///< "SURNAME First name", or the carer code when not found
  QString sector;   ///< sector code (CIVILAIDANT 31), "" when unknown
  QString commune;  ///< town (CIVILAIDANT 11), "" when unknown
};

/// Where the chart's records come from. Implementations cache what they read:
/// the chart asks once per carer but may ask again for sector labels.
class PlanningSource {
 public:
  virtual ~PlanningSource() = default;
  /// The carer with that code; a carer that cannot be found gives its code as
  /// name and empty sector and commune. Other failures throw.
  virtual CarerInfo Carer(const QString& carerCode) = 0;
  /// Label of a sector (SECTEUR 1), "" when the sector is unknown.
  virtual QString SectorLabel(const QString& sectorCode) = 0;
  /// True when the absence with that key is flagged as still to be validated.
  virtual bool AwaitsValidation(const std::string& absenceKey) = 0;
  /// Whether the user may see carers of that sector (no rights object: yes).
  virtual bool SectorVisible(const QString& sectorCode) = 0;
};

/// An absence on a row, in half-day slots counted from the period's first
/// morning (slot 2d is the morning of day d, 2d+1 its afternoon); `endSlot`
/// is exclusive and always greater than `firstSlot`.
struct PlanningBar {
  int firstSlot = 0;
  int endSlot = 0;
  AbsenceKind kind = AbsenceKind::Autre;
  bool openEnded = false;     ///< the absence has no last day
  bool startsBefore = false;  ///< it began before the period (clipped on the left)
  bool endsAfter = false;     ///< it goes on after the period (clipped on the right)
};

/// One carer's row, with every absence of that carer in the period.
struct PlanningRow {
  QString carerCode;
  QString name;
  std::vector<PlanningBar> bars;
};

/// A group of rows under one heading (no heading when not grouped).
struct PlanningGroup {
  QString heading;
  std::vector<PlanningRow> rows;
};

enum class PlanningGrouping { None, Sector, Commune };

/// The whole chart of one request.
struct PlanningChart {
  std::int32_t firstDay = 0;  ///< day number of the first column
  std::int32_t lastDay = 0;   ///< day number of the last column
  PlanningGrouping grouping = PlanningGrouping::None;
  std::vector<PlanningGroup> groups;
  std::vector<int> absentPerDay;  ///< carers with an absence on each day, one per column
  std::vector<AbsenceKind> typesSelected;  ///< the types ticked in the request, in order

  int DayCount() const { return lastDay - firstDay + 1; }
  int RowCount() const;
};

/// The longest period a chart accepts, in days (12 weeks).
inline constexpr int kMaxPlanningDays = 84;

/// Builds the chart of a request's result rows between its two days. Rows of
/// carers the user may not see are left out; absences ending before or
/// starting after the period are left out (their carer keeps a row). Groups
/// are ordered by code (sector) or name (commune), rows by name then code.
/// Throws std::invalid_argument when the period is reversed or longer than
/// kMaxPlanningDays; whatever the source throws goes up unchanged.
PlanningChart BuildPlanningChart(const PlanningRequest& request, PlanningSource& source);

}  // namespace morvane::services
