#include "services/planning_model.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

#include <QHash>

namespace morvane::services {
namespace {

/// Whole decimal number of a text, or nullopt when it is not one.
std::optional<int> ParseNumber(std::string_view text) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

/// One absence of the result list, placed on the period's half-day slots;
/// nullopt when it lies outside the period or its key cannot be read.
std::optional<PlanningBar> PlaceAbsence(const mvdb::DynArray& rows, int row, const std::string& key,
                                        std::int32_t firstDay, std::int32_t lastDay, AbsenceKind kind) {
  if (key.size() < 12) return std::nullopt;
  const std::optional<int> start = ParseNumber(std::string_view(key).substr(7));
  if (!start) return std::nullopt;
  const std::string lastText = rows.Item(row, 3);
  const std::optional<int> last = ParseNumber(lastText);
  const bool openEnded = !last.has_value();
  if (*start > lastDay || (last && *last < firstDay)) return std::nullopt;

  const int slotCount = 2 * (lastDay - firstDay + 1);
  PlanningBar bar;
  bar.kind = kind;
  bar.openEnded = openEnded;
  bar.startsBefore = *start < firstDay;
  bar.endsAfter = openEnded || *last > lastDay;
  bar.firstSlot = bar.startsBefore ? 0 : 2 * (*start - firstDay) + (rows.Item(row, 2) == "2" ? 1 : 0);
  if (bar.endsAfter) {
    bar.endSlot = slotCount;
  } else {
    bar.endSlot = 2 * (*last - firstDay) + (rows.Item(row, 4) == "1" ? 1 : 2);
  }
  // A last day before the first one, or an afternoon start ending at midday
  // the same day, still shows the half-day where the absence begins.
  bar.endSlot = std::clamp(bar.endSlot, bar.firstSlot + 1, slotCount);
  return bar;
}

QString SectorHeading(const QString& code, const QString& label) {
  if (code.isEmpty()) return QStringLiteral("Secteur non renseigné");
  if (label.isEmpty()) return QStringLiteral("Secteur %1").arg(code);
  return QStringLiteral("Secteur %1 - %2").arg(code, label);
}

QString CommuneHeading(const QString& commune) {
  return commune.isEmpty() ? QStringLiteral("Commune non renseignée") : QStringLiteral("Commune : %1").arg(commune);
}

/// A row while the result list is walked, with the key it is grouped by.
struct PendingRow {
  PlanningRow row;
  QString groupKey;
};

}  // namespace

QChar KindLetter(AbsenceKind kind) {
  switch (kind) {
    case AbsenceKind::Arret: return QLatin1Char('A');
    case AbsenceKind::Conges: return QLatin1Char('C');
    case AbsenceKind::Autre: return QLatin1Char('E');
    case AbsenceKind::AValider: return QLatin1Char('V');
  }
  return QLatin1Char('E');
}

QString KindLabel(AbsenceKind kind) {
  switch (kind) {
    case AbsenceKind::Arret: return QStringLiteral("Arrêt de travail");
    case AbsenceKind::Conges: return QStringLiteral("Congés");
    case AbsenceKind::Autre: return QStringLiteral("Autres");
    case AbsenceKind::AValider: return QStringLiteral("A valider");
  }
  return {};
}

AbsenceKind KindOfReason(int code, bool awaitsValidation) {
  if (awaitsValidation || code == 22) return AbsenceKind::AValider;
  if (code <= 6 || code == 29 || code == 30) return AbsenceKind::Arret;
  if ((code >= 12 && code <= 17) || code == 23 || (code >= 25 && code <= 28) || code == 31) {
    return AbsenceKind::Conges;
  }
  return AbsenceKind::Autre;
}

int PlanningChart::RowCount() const {
  int count = 0;
  for (const PlanningGroup& group : groups) count += static_cast<int>(group.rows.size());
  return count;
}

PlanningChart BuildPlanningChart(const PlanningRequest& request, PlanningSource& source) {
  PlanningChart chart;
  chart.firstDay = request.debutPeriode;
  chart.lastDay = request.finPeriode;
  if (chart.lastDay < chart.firstDay) {
    throw std::invalid_argument("planning period ends before it starts");
  }
  if (chart.DayCount() > kMaxPlanningDays) {
    throw std::invalid_argument("planning period longer than 12 weeks");
  }
  chart.grouping = request.secteur   ? PlanningGrouping::Sector
                   : request.commune ? PlanningGrouping::Commune
                                     : PlanningGrouping::None;
  const bool ticked[] = {request.arretTravail, request.conges, request.autres, request.aValider};
  const AbsenceKind kinds[] = {AbsenceKind::Arret, AbsenceKind::Conges, AbsenceKind::Autre, AbsenceKind::AValider};
  for (int i = 0; i < 4; ++i) {
    if (ticked[i]) chart.typesSelected.push_back(kinds[i]);
  }

  // Walk the result list once; each carer is looked up the first time it
  // appears, and a carer the user may not see is remembered as hidden.
  std::vector<PendingRow> pending;
  QHash<QString, int> rowOfCarer;  // index in pending, -1: hidden
  const mvdb::DynArray& rows = request.resultat;
  const int rowCount = rows.DCount();
  for (int i = 1; i <= rowCount; ++i) {
    const std::string key = rows.Item(i, 1);
    if (key.empty()) break;
    const QString carerCode = QString::fromUtf8(key.substr(0, 5));
    auto it = rowOfCarer.find(carerCode);
    if (it == rowOfCarer.end()) {
      const CarerInfo carer = source.Carer(carerCode);
      const bool visible = source.SectorVisible(carer.sector);
      it = rowOfCarer.insert(carerCode, visible ? static_cast<int>(pending.size()) : -1);
      if (!visible) continue;
      PendingRow entry;
      entry.row.carerCode = carerCode;
      entry.row.name = carer.name;
      if (chart.grouping == PlanningGrouping::Sector) entry.groupKey = carer.sector;
      if (chart.grouping == PlanningGrouping::Commune) entry.groupKey = carer.commune;
      pending.push_back(std::move(entry));
    }
    if (*it < 0) continue;
    const int reason = key.size() >= 7 ? ParseNumber(std::string_view(key).substr(5, 2)).value_or(99) : 99;
    const AbsenceKind kind = KindOfReason(reason, source.AwaitsValidation(key));
    if (auto bar = PlaceAbsence(rows, i, key, chart.firstDay, chart.lastDay, kind)) {
      pending[*it].row.bars.push_back(*bar);
    }
  }

  // Groups by key (the unknown group last), rows by name then code.
  std::sort(pending.begin(), pending.end(), [](const PendingRow& a, const PendingRow& b) {
    if (a.groupKey != b.groupKey) {
      if (a.groupKey.isEmpty() || b.groupKey.isEmpty()) return b.groupKey.isEmpty();
      return a.groupKey < b.groupKey;
    }
    const int byName = a.row.name.compare(b.row.name, Qt::CaseInsensitive);
    if (byName != 0) return byName < 0;
    return a.row.carerCode < b.row.carerCode;
  });

  chart.absentPerDay.assign(chart.DayCount(), 0);
  std::vector<char> absentToday(chart.DayCount());
  for (std::size_t i = 0; i < pending.size(); ++i) {
    PendingRow& entry = pending[i];
    std::fill(absentToday.begin(), absentToday.end(), 0);
    for (const PlanningBar& bar : entry.row.bars) {
      for (int day = bar.firstSlot / 2; day <= (bar.endSlot - 1) / 2; ++day) absentToday[day] = 1;
    }
    for (int day = 0; day < chart.DayCount(); ++day) chart.absentPerDay[day] += absentToday[day];

    if (i == 0 || entry.groupKey != pending[i - 1].groupKey) {
      PlanningGroup group;
      if (chart.grouping == PlanningGrouping::Sector) {
        group.heading = SectorHeading(entry.groupKey, source.SectorLabel(entry.groupKey));
      } else if (chart.grouping == PlanningGrouping::Commune) {
        group.heading = CommuneHeading(entry.groupKey);
      }
      chart.groups.push_back(std::move(group));
    }
    chart.groups.back().rows.push_back(std::move(entry.row));
  }
  return chart;
}

}  // namespace morvane::services
