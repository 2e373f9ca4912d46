// The planning's records read from the database: carers (CIVILAIDANT), sector
// labels (SECTEUR) and the validation flag of absences (ABSENCESAIDANT), each
// read at most once per print run, and the user's sector rights.
#pragma once

#include <QHash>
#include <memory>

#include "mvdb/database.h"
#include "services/droits.h"
#include "services/planning_model.h"

namespace morvane::services {

/// A PlanningSource over an open database; lives for one print run, so its
/// caches never outlast the records they copy.
class DatabasePlanningSource : public PlanningSource {
 public:
  /// Opens CIVILAIDANT, SECTEUR and ABSENCESAIDANT of `db` (not owned, must
  /// outlive this object). `droits` may be null: every sector is visible.
  /// Throws mvdb::DbError when a file cannot be opened.
  DatabasePlanningSource(mvdb::Database& db, std::shared_ptr<const Droits> droits);

  /// A carer not found gives its code as name; other read failures throw mvdb::DbError.
  CarerInfo Carer(const QString& carerCode) override;
  /// "" for an empty code or a sector not found; other failures throw.
  QString SectorLabel(const QString& sectorCode) override;
  /// Attribute 28 of the absence is "1"; false when the absence is not found.
  bool AwaitsValidation(const std::string& absenceKey) override;
  /// SecteurAutorise(sector, false) of the rights on ABSENCESAIDANT is true.
  bool SectorVisible(const QString& sectorCode) override;

  /// Records read from the database so far (carers, sectors, absences).
  int ReadCount() const { return reads_; }

 private:
  mvdb::DbFile carers_;
  mvdb::DbFile sectors_;
  mvdb::DbFile absences_;
  std::shared_ptr<DroitsFichier> rights_;
  QHash<QString, CarerInfo> carerCache_;
  QHash<QString, QString> sectorLabelCache_;
  QHash<QString, bool> visibleCache_;
  int reads_ = 0;
};

}  // namespace morvane::services
