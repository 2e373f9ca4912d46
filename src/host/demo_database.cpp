#include "host/demo_database.h"

#include <iostream>

#include "association/hourly_rate.h"
#include "demo/generator.h"

namespace morvane::host {

namespace {

std::unique_ptr<mvdb::Database> OpenWithRoutines(const std::filesystem::path& path, mvdb::OpenMode mode,
                                                 const mvdb::Credentials& credentials = {}) {
  auto db = mvdb::Database::Open(path, mode, credentials);
  association::RegisterAssociationRoutines(db->routines());
  return db;
}

}  // namespace

std::unique_ptr<mvdb::Database> OpenHostDatabase(const std::filesystem::path& path, bool isDefaultDemo,
                                                 mvdb::OpenMode mode, const mvdb::Credentials& credentials) {
  if (std::filesystem::exists(path) || !isDefaultDemo) return OpenWithRoutines(path, mode, credentials);
  std::filesystem::create_directories(path.parent_path());
  std::cerr << "morvane: creating the demo database " << path.string() << " ...\n";
  // Built under a temporary name so that an interrupted first run leaves no
  // half-made demo database behind.
  const std::filesystem::path building = path.string() + ".building";
  std::error_code ignored;
  std::filesystem::remove_all(building, ignored);
  std::filesystem::remove_all(building.string() + ".d", ignored);
  {
    auto db = mvdb::Database::Create(building);
    demo::Generate(*db, demo::Options{});
  }
  // The database file and the folder of its directory files ("<file>.d").
  std::filesystem::rename(building, path);
  if (std::filesystem::exists(building.string() + ".d")) {
    std::filesystem::rename(building.string() + ".d", path.string() + ".d");
  }
  return OpenWithRoutines(path, mode);
}

}  // namespace morvane::host
