// The host's command line and its default places.
#include "host/host_options.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace morvane::host {
namespace {

std::optional<HostOptions> Parse(const std::vector<std::string>& args, std::string* error = nullptr) {
  std::string message;
  auto options = ParseHostOptions(args, message);
  if (error != nullptr) *error = message;
  return options;
}

TEST(HostOptions, DefaultsAndEveryOptionInBothSpellings) {
  auto options = Parse({});
  ASSERT_TRUE(options);
  EXPECT_EQ(options->user, "admin");
  EXPECT_TRUE(options->database.empty());
  options = Parse({"--db", "/tmp/a.mvdb", "--user=marie", "--out=/tmp/out", "--screenshot", "f.png"});
  ASSERT_TRUE(options);
  EXPECT_EQ(options->database, "/tmp/a.mvdb");
  EXPECT_EQ(options->user, "marie");
  EXPECT_EQ(options->outputDir, "/tmp/out");
  EXPECT_EQ(options->screenshot, "f.png");
  EXPECT_TRUE(Parse({"-h"})->help);
}

TEST(HostOptions, UnknownOptionsAndMissingValuesAreRefusedWithAMessage) {
  std::string error;
  EXPECT_FALSE(Parse({"--colour"}, &error));
  EXPECT_NE(error.find("--colour"), std::string::npos);
  EXPECT_FALSE(Parse({"--db"}, &error));
  EXPECT_NE(error.find("needs a value"), std::string::npos);
  EXPECT_FALSE(Parse({"--user="}, &error));
}

TEST(HostOptions, TheDemoDatabaseLivesInTheUsersDataFolder) {
  ::setenv("XDG_DATA_HOME", "/data/x", 1);
  EXPECT_EQ(WithDefaults({}).database, "/data/x/morvane/demo.mvdb");
  EXPECT_EQ(WithDefaults({}).outputDir, "/data/x/morvane/output");
  ::unsetenv("XDG_DATA_HOME");
  ::setenv("HOME", "/home/u", 1);
  EXPECT_EQ(DefaultDataDir(), "/home/u/.local/share/morvane");
  HostOptions given;
  given.database = "/elsewhere.mvdb";
  EXPECT_EQ(WithDefaults(given).database, "/elsewhere.mvdb");
  // MORVANE_DB names the database when --db does not.
  ::setenv("MORVANE_DB", "postgresql://office/morvane", 1);
  EXPECT_EQ(WithDefaults({}).database, "postgresql://office/morvane");
  EXPECT_EQ(WithDefaults(given).database, "/elsewhere.mvdb");
  EXPECT_FALSE(UsesDemoDatabase({}));
  ::unsetenv("MORVANE_DB");
  EXPECT_TRUE(UsesDemoDatabase({}));
}

}  // namespace
}  // namespace morvane::host
