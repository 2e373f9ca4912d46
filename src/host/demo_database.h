// The host's database: an existing one, or the demo database made on first run.
#pragma once

#include <filesystem>
#include <memory>

#include "mvdb/database.h"

namespace morvane::host {

/// Opens the database at `path` (read-only when `mode` says so, or when it
/// cannot be written) with the association's server routines registered.
/// When the file does not exist and `path` is the default demo database,
/// creates it with the demo generator first. A server database signs in with
/// `credentials` (mvdb/file_kind.h). Throws mvdb::DbError
/// (kFileNotFound for a missing non-demo database, or the engine's error).
std::unique_ptr<mvdb::Database> OpenHostDatabase(const std::filesystem::path& path, bool isDefaultDemo,
                                                 mvdb::OpenMode mode = mvdb::OpenMode::kReadWrite,
                                                 const mvdb::Credentials& credentials = {});

}  // namespace morvane::host
