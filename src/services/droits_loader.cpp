// LoadDroits lives apart from the in-memory rights so that code which only
// builds rights in memory does not need the database engine linked in.
#include "mvdb/database.h"
#include "services/droits.h"
#include "services/droits_record.h"

namespace morvane::services {

std::shared_ptr<Droits> LoadDroits(mvdb::Database& db, const QString& user) {
  const mvdb::DbFile file = db.DBOpen("DROITS");
  return DroitsFromRecord(user, file.DBRead(user.toStdString()));
}

}  // namespace morvane::services
