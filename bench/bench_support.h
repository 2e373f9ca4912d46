// What the benchmarks share: the copy on a server of the demo database they
// time, made once and kept in its schema for the next runs.
#pragma once

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "mvdb/database.h"
#include "mvdb/database_copy.h"

namespace bench {

/// The database at `address` (a server address naming its schema); when it
/// does not exist yet, made as a copy of `embedded` with its directory files
/// in `files`.
inline std::unique_ptr<mvdb::Database> ServerCopy(mvdb::Database& embedded, const std::string& address,
                                                  const std::filesystem::path& files) {
  try {
    return mvdb::Database::Open(address);
  } catch (const mvdb::DbError& e) {
    if (e.code() != mvdb::ErrorCode::kFileNotFound) throw;
  }
  const auto started = std::chrono::steady_clock::now();
  mvdb::CreateOptions options;
  options.directoryRoot = files;
  auto db = mvdb::Database::Create(address, options);
  mvdb::CopyDatabase(embedded, *db);
  std::printf("server copy made in %.1f s\n",
              std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
  return db;
}

}  // namespace bench
