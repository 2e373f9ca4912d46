// A server database that fails under `morvane report`: the server stopped in
// the middle of a report, and addresses that lead nowhere (no such socket, no
// such database, a refused connection, a server that never answers). Each
// gives one clear line, status 4 and no output file; none hangs.
#include <netinet/in.h>
#include <sys/socket.h>

#include <thread>

#include "batch_fixture.h"
#include "process.h"

namespace morvane::host {
namespace {

namespace fs = std::filesystem;
using mvdb::testing_support::ScratchDir;

const fs::path kCluster = fs::path(MORVANE_SOURCE_DIR) / "scripts" / "pg-cluster.sh";

/// A cluster of its own (the test stops it), removed at the end.
class PrivateCluster {
 public:
  PrivateCluster() {
    FILE* started = ::popen((kCluster.string() + " start " + folder_.string() + " 2>&1").c_str(), "r");
    char line[512] = {};
    while (started && std::fgets(line, sizeof line, started)) address_ = line;
    if (started) ::pclose(started);
    if (!address_.empty() && address_.back() == '\n') address_.pop_back();
  }
  ~PrivateCluster() { Stop(); }
  /// The address of its database "postgres" ("" when it did not start).
  const std::string& Address() const { return address_; }
  /// Stops the server at once, as a crash or an administrator would.
  void Stop() { std::system((kCluster.string() + " stop " + folder_.string() + " >/dev/null 2>&1").c_str()); }

 private:
  fs::path folder_ = fs::temp_directory_path() / ("morvane-pg-faults-" + std::to_string(::getpid()));
  std::string address_;
};

TEST(ServerFaults, AServerStoppedInTheMiddleOfAnExportGivesStatusFourAMessageAndNoFile) {
  if (!fs::exists(kMorvane)) GTEST_SKIP() << "morvane is not built";
  PrivateCluster cluster;
  ASSERT_FALSE(cluster.Address().empty()) << "the cluster did not start";
  ScratchDir dir;
  const std::string address = cluster.Address() + " schema=office";
  {
    mvdb::CreateOptions options;
    options.directoryRoot = dir / "files";
    auto db = mvdb::Database::Create(address, options);
    demo::Options demo;
    demo.carers = 4000;  // about 32,000 absences: their lines take seconds to make
    demo::Generate(*db, demo);
    testing::GiveSessionUserRightsOf(*db, "admin");
  }
  const fs::path trace = dir / "trace.log";
  ::setenv("MVDB_TRACE", trace.c_str(), 1);
  Process report({kMorvane.string(), "report", "--db", address, "--out", (dir / "out").string(), "--sick-leave",
                  "--leave", "--other", "--all", "--entity", "010", "--from", "01/01/2025", "--to", "31/12/2025",
                  "--output", "export"},
                 dir / "report.log");
  ::unsetenv("MVDB_TRACE");
  // Once the absences are selected, the export reads their records line by
  // line: stop the server then.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (Slurp(trace).find("SSELECT ABSENCESAIDANT") == std::string::npos &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  cluster.Stop();
  EXPECT_EQ(report.Wait(), 4);
  // The control's message box, on standard error in batch mode.
  const std::string log = Slurp(dir / "report.log");
  EXPECT_NE(log.find("Message QUENTARIS: Cmd_Imprimer_Click : lost the connection to database " + address + ": "),
            std::string::npos)
      << log;
  EXPECT_TRUE(fs::is_empty(dir / "files" / "STATAIDANT")) << log;  // not even a temporary file
}

TEST(ServerFaults, AnAddressThatLeadsNowhereIsOneLineAndStatusFourNeverAHang) {
  if (!fs::exists(kMorvane)) GTEST_SKIP() << "morvane is not built";
  ScratchDir dir;
  // A server that accepts the connection and never answers.
  const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
  ASSERT_EQ(::listen(silent, 4), 0);
  socklen_t size = sizeof local;
  ::getsockname(silent, reinterpret_cast<sockaddr*>(&local), &size);
  const std::string silentPort = std::to_string(ntohs(local.sin_port));

  const std::string server = mvdb::testing_support::TestServer();
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"host=" + (dir / "nowhere").string() + " dbname=office", "No such file or directory"},
      {server + " dbname=nosuch", "database \"nosuch\" does not exist"},
      {"postgresql://127.0.0.1:1/office", "Connection refused"},
      {"postgresql://127.0.0.1:" + silentPort + "/office?connect_timeout=2", "timeout expired"},
  };
  for (const auto& [address, reason] : cases) {
    if (address.starts_with(" ")) continue;  // no test server
    const auto started = std::chrono::steady_clock::now();
    Process report({kMorvane.string(), "report", "--db", address, "--out", (dir / "out").string(), "--sick-leave",
                    "--all", "--from", "01/06/2025", "--to", "30/06/2025", "--output", "list"},
                   dir / "report.log");
    EXPECT_EQ(report.Wait(), 4) << address;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20)) << address;
    const std::vector<std::string> lines = LinesStarting(Slurp(dir / "report.log"), "morvane report:");
    ASSERT_EQ(lines.size(), 1u) << Slurp(dir / "report.log");
    EXPECT_EQ(lines[0].rfind("morvane report: cannot connect to database ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(reason), std::string::npos) << lines[0];
  }
  ::close(silent);
}

}  // namespace
}  // namespace morvane::host
