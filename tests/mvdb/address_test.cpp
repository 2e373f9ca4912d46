// Database addresses: which are a server's, and what of a server address goes
// to libpq (never the engine's schema; always a connection timeout) and to
// messages (never the password).

#include "engine_test_support.h"
#include "mvdb/postgres/address.h"

namespace mvdb {
namespace {

TEST(Addresses, ServerAddressesAreURIsOrKeywordStringsAndAnythingElseIsAFile) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"postgresql://office/morvane", true}, {"postgres://u@h:5433/db?schema=a", true},
      {"host=/run/postgresql dbname=office", true}, {"  dbname = office", true},
      {"service=morvane", true}, {"out/demo.mvdb", false},
      {"demo=2025.mvdb", false}, {"./host=x", false},
      {"", false}, {"postgresql:/office", false},
  };
  for (const auto& [address, server] : cases) EXPECT_EQ(Storage::IsServerAddress(address), server) << address;
}

TEST(Addresses, TheSchemaIsTakenOutATimeoutPutInAndThePasswordNeverShown) {
  // An address, then what is given to the server | the schema | what is shown.
  const std::pair<std::string, std::string> cases[] = {
      {"postgresql://u:pw@h:5/db?schema=assoc&sslmode=disable",
       "postgresql://u:pw@h:5/db?sslmode=disable&connect_timeout=10 | assoc | "
       "postgresql://u@h:5/db?schema=assoc&sslmode=disable"},
      {"postgres://h/db?connect_timeout=3&password=x",
       "postgres://h/db?connect_timeout=3&password=x | morvane | postgres://h/db?connect_timeout=3"},
      {"postgresql://h", "postgresql://h?connect_timeout=10 | morvane | postgresql://h"},
      {"host=/tmp dbname=x password='a \\' b' schema=s_1",
       "host=/tmp dbname=x password='a \\' b' connect_timeout=10 | s_1 | host=/tmp dbname=x schema=s_1"},
      {"host = h  connect_timeout=2", "host = h connect_timeout=2 | morvane | host = h connect_timeout=2"},
  };
  for (const auto& [address, expected] : cases) {
    const postgres::ServerAddress parsed = postgres::ParseServerAddress(address);
    EXPECT_EQ(parsed.conninfo + " | " + parsed.schema + " | " + parsed.shown, expected) << address;
  }
  for (const std::string bad : {"host=/tmp schema=a-b", "host=/tmp schema=1a", "postgresql://h?schema=",
                                "host=/tmp dbname", "host='/tmp"})
    EXPECT_EQ(testing_support::CodeOf([&] { postgres::ParseServerAddress(bad); }), 0x80040050u) << bad;
}

}  // namespace
}  // namespace mvdb
