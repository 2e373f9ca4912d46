// The command lines of `morvane` and `morvane report` as a user types them:
// what is refused and how, what is answered before anything runs, and which
// level of the settings gives each value.
#include "host/host_options.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <unistd.h>

#include "host/batch_options.h"
#include "host/settings.h"
#include "support/test_environment.h"

namespace morvane::host {
namespace {

namespace fs = std::filesystem;

struct Answer {
  std::optional<int> status;
  std::string out, err;
};

Answer Ask(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const auto status = AnswerWithoutDisplay(args, out, err);
  return {status, out.str(), err.str()};
}

TEST(CommandLine, BadCommandLinesAreRefusedNamingTheOptionWithStatusTwo) {
  const std::string longDate(30000, '1');
  const std::string longPath(5000, 'p');
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--colour"}, "unknown option \"--colour\""},
      {{"extra"}, "unexpected argument \"extra\""},
      {{"--db"}, "--db needs a value"},
      {{"--user="}, "--user: \"\" is not accepted (a value that is not empty)"},
      {{"--db", "a.mvdb", "--db=b.mvdb"}, "--db is given twice (\"a.mvdb\", then \"b.mvdb\"): give it once"},
      {{"--settings=yes"}, "--settings takes no value"},
      {{"report", "--sick"}, "unknown option \"--sick\""},
      {{"report", "--sector", "001", "--sector", "003"},
       "--sector is given twice (\"001\", then \"003\"): give it once"},
      {{"report", "--all", "--commune", "42000"}, "--all and --commune both choose the carers: give one of them"},
      {{"report", "--from", "01/06/2025", "--to", "--sector"},
       "--to needs a value, not the option \"--sector\" (write --to=VALUE for a value that begins with \"-\")"},
      {{"report", "--from", longDate},
       "--from takes at most 10 characters, not \"11111111111111111111…\" (30000 characters)"},
      {{"report", "--output-file", longPath},
       "--output-file takes at most 4096 characters, not \"pppppppppppppppppppp…\" (5000 characters)"},
      {{"report", "--reason", "015"}, "--reason takes at most 2 characters, not \"015\""},
      {{"report", "--copies", "0"}, "--copies: \"0\" is not accepted (a number from 1 to 99)"},
      {{"report", "--copies", "2x"}, "--copies: \"2x\" is not accepted (a number from 1 to 99)"},
      {{"report", "--count", "all"}, "--count: \"all\" is not accepted (one of within, starting, ending)"},
      {{"report", "--output", "pdf"},
       "--output: \"pdf\" is not accepted (one of list, planning, export, letter-type, letter-merge)"},
      {{"report", "--agent", "maybe"}, "--agent: \"maybe\" is not accepted (yes or no)"},
      {{"report", "--leave=yes"}, "--leave takes no value"},
  };
  for (const auto& [args, error] : cases) {
    const Answer answer = Ask(args);
    const std::string program = args[0] == "report" ? "morvane report" : "morvane";
    EXPECT_EQ(answer.status, 2) << error;
    EXPECT_EQ(answer.err, program + ": " + error + "\nTry '" + program + " --help' for more information.\n");
    EXPECT_EQ(answer.out, "");
  }
}

TEST(CommandLine, HelpVersionAndSettingsAreAnsweredAndAnythingElseRuns) {
  EXPECT_EQ(Ask({"--version"}).out, "morvane (ControleMorvane) " MORVANE_VERSION "\n");
  EXPECT_EQ(Ask({"report", "--version"}).out, "morvane (ControleMorvane) " MORVANE_VERSION "\n");
  EXPECT_EQ(Ask({"-h"}).out, HostUsage());
  EXPECT_EQ(Ask({"report", "--sick-leave", "--help"}).out, BatchUsage());
  EXPECT_EQ(Ask({"--settings"}).status, 0);
  for (const std::vector<std::string>& runs : {std::vector<std::string>{}, {"--db", "x.mvdb", "--printer=PDF"},
                                               {"report", "--sick-leave", "--sector", "--entity=010"}}) {
    EXPECT_EQ(Ask(runs).status, std::nullopt);
  }
}

TEST(Settings, EachLevelGivesWayToTheOneAboveItAndSettingsSaysWhere) {
  const fs::path dir = fs::temp_directory_path() / ("morvane-settings-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  const fs::path user = dir / "home/.config/morvane/morvane.conf";
  const fs::path system1 = dir / "etc1/morvane/morvane.conf";
  const fs::path system2 = dir / "etc2/morvane/morvane.conf";
  // Which level holds which value; "" = that level does not set it.
  const struct {
    std::string commandLine, environment, userFile, systemFile1, systemFile2;
    std::string expected;  // the whole --settings text; USER, SYS1, SYS2 and DATA stand for the paths
  } cases[] = {
      {"--db=/cmd.mvdb", "/env.mvdb", "/user.mvdb", "/sys1.mvdb", "/sys2.mvdb",
       "# from the command line (--db)\ndatabase = /cmd.mvdb\n"},
      {"", "/env.mvdb", "/user.mvdb", "/sys1.mvdb", "/sys2.mvdb",
       "# from the environment (MORVANE_DB)\ndatabase = /env.mvdb\n"},
      {"", "", "/user.mvdb", "/sys1.mvdb", "/sys2.mvdb", "# from the user's settings (USER)\ndatabase = /user.mvdb\n"},
      {"", "", "", "/sys1.mvdb", "/sys2.mvdb", "# from the system's settings (SYS1)\ndatabase = /sys1.mvdb\n"},
      {"", "", "", "", "/sys2.mvdb", "# from the system's settings (SYS2)\ndatabase = /sys2.mvdb\n"},
      {"", "", "", "", "",
       "# built-in default: the demo database, made on first run\ndatabase = DATA/morvane/demo.mvdb\n"},
  };
  const auto substituted = [&](std::string text) {
    for (const auto& [mark, path] : {std::pair{"USER", user}, {"SYS1", system1}, {"SYS2", system2},
                                     {"DATA", dir / "data"}}) {
      for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark)) {
        text.replace(at, std::string(mark).size(), path.string());
      }
    }
    return text;
  };
  const auto write = [](const fs::path& file, const std::string& database, const std::string& more) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "# written by the test\n" << (database.empty() ? "" : "database = " + database + "\n")
                        << more;
  };

  using morvane::testing::ScopedEnv;
  const ScopedEnv home("HOME", (dir / "home").c_str()), configHome("XDG_CONFIG_HOME", nullptr),
      configDirs("XDG_CONFIG_DIRS", ((dir / "etc1").string() + ":" + (dir / "etc2").string()).c_str()),
      dataHome("XDG_DATA_HOME", (dir / "data").c_str()), db("MORVANE_DB", nullptr), out("MORVANE_OUT", "/env/out");
  for (const auto& c : cases) {
    // The output folder and the printer come from the levels below the
    // command line in every case: the user's file sets the printer, the
    // second system file the output folder (hidden by the environment).
    write(user, c.userFile, "printer = LASER\n");
    write(system1, c.systemFile1, "");
    write(system2, c.systemFile2, "output = /sys2/out\nprinter = MATRIX\n");
    ScopedEnv::Set("MORVANE_DB", c.environment.empty() ? nullptr : c.environment.c_str());
    std::vector<std::string> args = {"--settings"};
    if (!c.commandLine.empty()) args.push_back(c.commandLine);
    const Answer answer = Ask(args);
    EXPECT_EQ(answer.out, substituted(c.expected + "# from the environment (MORVANE_OUT)\noutput = /env/out\n" +
                                      "# from the user's settings (USER)\nprinter = LASER\n"));
    EXPECT_EQ(answer.err, "");

    HostOptions given;
    if (!c.commandLine.empty()) given.database = c.commandLine.substr(5);
    EXPECT_EQ(WithDefaults(given).defaultDemo, c.commandLine.empty() && c.environment.empty() && c.userFile.empty() &&
                                                    c.systemFile1.empty() && c.systemFile2.empty());
  }

  fs::remove_all(dir);
}

}  // namespace
}  // namespace morvane::host
