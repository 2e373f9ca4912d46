// Decoding a DROITS record (layout in droits.h) into a rights object.
#pragma once

#include <QString>
#include <memory>

#include "mvdb/dynarray.h"
#include "services/droits.h"

namespace morvane::services {

/// Rights of `user` from their DROITS record. File names are matched without
/// regard to case and blanks; a level that is no number counts as 0; a file
/// listed twice keeps its first level. Never throws.
std::shared_ptr<Droits> DroitsFromRecord(const QString& user, const mvdb::DynArray& record);

}  // namespace morvane::services
