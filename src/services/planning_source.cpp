#include "services/planning_source.h"

namespace morvane::services {

DatabasePlanningSource::DatabasePlanningSource(mvdb::Database& db, std::shared_ptr<const Droits> droits)
    : carers_(db.DBOpen("CIVILAIDANT")), sectors_(db.DBOpen("SECTEUR")), absences_(db.DBOpen("ABSENCESAIDANT")) {
  if (droits) rights_ = droits->DroitsFichier(QStringLiteral("ABSENCESAIDANT"));
}

CarerInfo DatabasePlanningSource::Carer(const QString& carerCode) {
  if (auto cached = carerCache_.constFind(carerCode); cached != carerCache_.cend()) return *cached;
  CarerInfo info;
  ++reads_;
  if (const auto record = carers_.Find(carerCode.toStdString())) {
    const QString surname = QString::fromUtf8(record->Item(2)).trimmed().toUpper();
    const QString firstName = QString::fromUtf8(record->Item(3)).trimmed();
    info.name = firstName.isEmpty() ? surname : surname + QLatin1Char(' ') + firstName;
    info.sector = QString::fromUtf8(record->Item(31));
    info.commune = QString::fromUtf8(record->Item(11)).trimmed();
  }
  if (info.name.isEmpty()) info.name = carerCode;
  carerCache_.insert(carerCode, info);
  return info;
}

QString DatabasePlanningSource::SectorLabel(const QString& sectorCode) {
  if (sectorCode.isEmpty()) return {};
  if (auto cached = sectorLabelCache_.constFind(sectorCode); cached != sectorLabelCache_.cend()) return *cached;
  QString label;
  ++reads_;
  if (const auto record = sectors_.Find(sectorCode.toStdString())) label = QString::fromUtf8(record->Item(1, 1)).trimmed();
  sectorLabelCache_.insert(sectorCode, label);
  return label;
}

bool DatabasePlanningSource::AwaitsValidation(const std::string& absenceKey) {
  ++reads_;
  const auto record = absences_.Find(absenceKey);
  return record && record->Item(28) == "1";
}

bool DatabasePlanningSource::SectorVisible(const QString& sectorCode) {
  if (!rights_) return true;
  if (auto cached = visibleCache_.constFind(sectorCode); cached != visibleCache_.cend()) return *cached;
  const bool visible = rights_->SecteurAutorise(sectorCode, false).value_or(false);
  visibleCache_.insert(sectorCode, visible);
  return visible;
}

}  // namespace morvane::services
