#include "services/planning_source.h"

namespace morvane::services {

DatabasePlanningSource::DatabasePlanningSource(mvdb::Database& db, std::shared_ptr<const Droits> droits)
    : carers_(db.DBOpen("CIVILAIDANT")), sectors_(db.DBOpen("SECTEUR")), absences_(db.DBOpen("ABSENCESAIDANT")) {
  if (droits) rights_ = droits->DroitsFichier(QStringLiteral("ABSENCESAIDANT"));
}

CarerInfo DatabasePlanningSource::Carer(const QString& carerCode) {
  if (auto cached = carerCache_.constFind(carerCode); cached != carerCache_.cend()) return *cached;
  CarerInfo info;
  try {
    ++reads_;
    const mvdb::DynArray record = carers_.DBRead(carerCode.toStdString());
    const QString surname = QString::fromUtf8(record.Item(2)).trimmed().toUpper();
    const QString firstName = QString::fromUtf8(record.Item(3)).trimmed();
    info.name = firstName.isEmpty() ? surname : surname + QLatin1Char(' ') + firstName;
    if (info.name.isEmpty()) info.name = carerCode;
    info.sector = QString::fromUtf8(record.Item(31));
    info.commune = QString::fromUtf8(record.Item(11)).trimmed();
  } catch (const mvdb::DbError& error) {
    if (!error.IsNotFound()) throw;
    info.name = carerCode;
  }
  carerCache_.insert(carerCode, info);
  return info;
}

QString DatabasePlanningSource::SectorLabel(const QString& sectorCode) {
  if (sectorCode.isEmpty()) return {};
  if (auto cached = sectorLabelCache_.constFind(sectorCode); cached != sectorLabelCache_.cend()) return *cached;
  QString label;
  try {
    ++reads_;
    label = QString::fromUtf8(sectors_.DBRead(sectorCode.toStdString()).Item(1, 1)).trimmed();
  } catch (const mvdb::DbError& error) {
    if (!error.IsNotFound()) throw;
  }
  sectorLabelCache_.insert(sectorCode, label);
  return label;
}

bool DatabasePlanningSource::AwaitsValidation(const std::string& absenceKey) {
  try {
    ++reads_;
    return absences_.DBRead(absenceKey).Item(28) == "1";
  } catch (const mvdb::DbError& error) {
    if (!error.IsNotFound()) throw;
    return false;
  }
}

bool DatabasePlanningSource::SectorVisible(const QString& sectorCode) {
  if (!rights_) return true;
  if (auto cached = visibleCache_.constFind(sectorCode); cached != visibleCache_.cend()) return *cached;
  const bool visible = rights_->SecteurAutorise(sectorCode, false).value_or(false);
  visibleCache_.insert(sectorCode, visible);
  return visible;
}

}  // namespace morvane::services
