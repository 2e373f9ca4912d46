// The window mode from the outside: a database and a user that cannot be
// used stop the host with status 1 before any window is shown.
#include "host/window_mode.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "mvdb/database.h"

namespace morvane::host {
namespace {

TEST(WindowMode, AMissingDatabaseOrUserStopsTheHostWithStatusOne) {
  const auto dir = std::filesystem::temp_directory_path() / ("morvane-host-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  HostOptions options;
  options.database = dir / "absent.mvdb";
  options.outputDir = dir / "out";
  EXPECT_EQ(RunWindow(options), 1);
  EXPECT_FALSE(std::filesystem::exists(options.database));  // not created: not the demo database

  {
    auto db = mvdb::Database::Create(dir / "empty.mvdb");
    db->CreateFile("DROITS");
  }
  options.database = dir / "empty.mvdb";
  options.user = "nobody";
  EXPECT_EQ(RunWindow(options), 1);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace morvane::host
