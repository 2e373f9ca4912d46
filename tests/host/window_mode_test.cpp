// The window mode from the outside: a database and a user that cannot be
// used stop the host with status 1 before any window is shown, and so does a
// database INIT cannot start on; the --screenshot picture's status.
#include "host/window_mode.h"

#include "batch_fixture.h"

namespace morvane::host {
namespace {

TEST(WindowMode, AMissingDatabaseUserOrCounterStopsTheHostWithStatusOne) {
  const mvdb::testing_support::ScratchDir dir;
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
  CopyDemo(40, dir / "damaged.mvdb");
  mvdb::Database::Open(dir / "damaged.mvdb")->DBOpen("COMPTEUR").DBDelete("999");
  options.database = dir / "damaged.mvdb";
  options.user = "admin";
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunWindow(options), 1);
  const std::string errors = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("COMPTEUR"), std::string::npos) << errors;
}

// The picture of the form is written whole or not at all: status 4 when it
// cannot be, 2 when it would be the database's own file.
TEST(WindowMode, TheScreenshotIsWrittenWholeOrTheStatusSaysWhy) {
  const mvdb::testing_support::ScratchDir dir;
  HostOptions options;
  options.database = dir / "demo.mvdb";
  options.outputDir = dir / "out";
  CopyDemo(40, options.database);
  const std::pair<std::filesystem::path, int> cases[] = {
      {dir / "form.png", 0}, {dir / "absent" / "form.png", 4}, {options.database, 2}};
  for (const auto& [picture, status] : cases) {
    SCOPED_TRACE(picture);
    options.screenshot = picture;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RunWindow(options), status);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors.find(picture.string()) != std::string::npos, status != 0) << errors;
  }
  EXPECT_EQ(Slurp(dir / "form.png").substr(1, 3), "PNG");
  EXPECT_FALSE(std::filesystem::exists(dir / "absent"));
}

}  // namespace
}  // namespace morvane::host
