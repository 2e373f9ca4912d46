// The window mode from the outside: a database and a user that cannot be
// used stop the host with status 1 before any window is shown, and so does a
// database INIT cannot start on.
#include "host/window_mode.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "demo/generator.h"
#include "mvdb/database.h"

namespace morvane::host {
namespace {

TEST(WindowMode, AMissingDatabaseUserOrCounterStopsTheHostWithStatusOne) {
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

  // INIT cannot read the default entity: the window closes with a message
  // instead of showing a half-filled form.
  {
    auto db = mvdb::Database::Create(dir / "damaged.mvdb");
    demo::Options demo;
    demo.carers = 4;
    demo::Generate(*db, demo);
    db->DBOpen("COMPTEUR").DBDelete("999");
  }
  options.database = dir / "damaged.mvdb";
  options.user = "admin";
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunWindow(options), 1);
  const std::string errors = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("COMPTEUR"), std::string::npos) << errors;
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace morvane::host
