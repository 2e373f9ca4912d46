// mvdb: the command-line tool of the multivalue database.
#include <exception>
#include <functional>
#include <iostream>
#include <map>

#include "mvdb/errors.h"
#include "tools/commands.h"

namespace {

constexpr const char* kUsage =
    "usage: mvdb COMMAND DB [ARGUMENTS]\n"
    "DB is a database file, or a PostgreSQL server's address (\"postgresql://host/dbname?schema=NAME\"\n"
    "or \"host=... dbname=... schema=NAME\"; the schema is \"morvane\" unless named).\n"
    "  create DB [--directory-root FOLDER]\n"
    "                                    create an empty database; FOLDER keeps its directory files\n"
    "                                    (a server database needs one for them)\n"
    "  copy FROM TO                      copy a whole database into an empty one made with create\n"
    "  create-file DB FILE [--directory] create a file (and its dictionary DICT FILE)\n"
    "  files DB                          list the files\n"
    "  import DB FILE.jsonl|-            import JSON Lines (\"-\" reads standard input)\n"
    "  export DB [-o OUTPUT] [FILE...]   write JSON Lines (a whole backup) to standard output or OUTPUT\n"
    "  read DB FILE KEY                  print a record, one numbered line per attribute\n"
    "  select DB \"SSELECT ...\" [ATTRS]   run a query; ATTRS are attribute numbers (0 = key)\n"
    "  index DB FILE FIELD               create or rebuild the index of a dictionary field\n"
    "  call DB ROUTINE [ARGUMENT...]     run a server routine, one attribute per argument\n"
    "  demo DB [--into-existing] [--carers N] [--absences N] [--seed S] [--directory-root FOLDER]\n"
    "                                    fill a new or empty database with demo data\n"
    "Set MVDB_TRACE=1 (or a file path) to log every selection and routine call.\n";

using Command = std::function<void(const mvdb::tool::Args&, std::ostream&)>;

}  // namespace

int main(int argc, char** argv) {
  const std::map<std::string, Command> commands{
      {"create", mvdb::tool::CreateDatabase}, {"create-file", mvdb::tool::CreateFile},
      {"files", mvdb::tool::ListFiles},       {"import", mvdb::tool::Import},
      {"export", mvdb::tool::Export},         {"read", mvdb::tool::Read},
      {"select", mvdb::tool::Select},         {"index", mvdb::tool::Index},
      {"call", mvdb::tool::Call},             {"copy", mvdb::tool::Copy},
      {"demo", mvdb::tool::Demo},
  };
  if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
    (argc < 2 ? std::cerr : std::cout) << kUsage;
    return argc < 2 ? 2 : 0;
  }
  const auto command = commands.find(argv[1]);
  if (command == commands.end()) {
    std::cerr << "mvdb: unknown command \"" << argv[1] << "\"\n" << kUsage;
    return 2;
  }
  try {
    command->second(mvdb::tool::Args(argv + 2, argv + argc), std::cout);
    std::cout.flush();
    return std::cout ? 0 : 1;
  } catch (const mvdb::tool::Refusal& e) {
    std::cerr << "mvdb: " << e.what() << "\n";
    return 2;
  } catch (const mvdb::tool::UsageError& e) {
    std::cerr << "mvdb: " << e.what() << "\n" << kUsage;
    return 2;
  } catch (const mvdb::DbError& e) {
    std::cerr << "mvdb: " << e.what() << " (error 0x" << std::hex << e.number() << ")\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "mvdb: " << e.what() << "\n";
    return 1;
  }
}
