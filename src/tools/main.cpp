// mvdb: the command-line tool of the multivalue database.
#include <exception>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "mvdb/errors.h"
#include "tools/commands.h"

namespace {

constexpr const char* kUsage = R"(Usage: mvdb COMMAND DB [ARGUMENT]...
  or:  mvdb --help | --version
The command-line tool of the multivalue database: creates, fills, reads,
queries, backs up, restores and copies a database DB.

DB is a database file, or a PostgreSQL server's address
("postgresql://host/dbname?schema=NAME" or "host=... dbname=... schema=NAME";
the schema is "morvane" unless named).

Commands:
  create DB [--directory-root FOLDER]
                       create an empty database; FOLDER keeps its directory
                       files (a server database needs one for them)
  copy FROM TO         copy a whole database (records, dictionaries, indexes,
                       directory files) into an empty one made with create
  create-file DB FILE [--directory]
                       create a file (and its dictionary DICT FILE); a
                       directory file keeps one OS file per record
  files DB             list the files
  import DB FILE.jsonl|-
                       import JSON Lines ("-" reads standard input); all or
                       nothing
  export DB [-o OUTPUT] [FILE]...
                       write JSON Lines (a whole backup, directory files and
                       pictures included) to standard output, or to OUTPUT;
                       nothing is written when the export fails
  read DB FILE KEY     print a record, one numbered line per attribute
  select DB "SSELECT ..." [ATTRIBUTE]...
                       run a query and print the rows; ATTRIBUTE numbers the
                       columns shown (0 = the key, the default)
  index DB FILE FIELD  create or rebuild the index of a dictionary field
  call DB ROUTINE [ARGUMENT]...
                       run a server routine, one attribute per argument
  demo DB [--into-existing] [--carers N] [--absences N] [--seed S]
          [--directory-root FOLDER]
                       fill a new or empty database with the demo data
                       (--into-existing: add to a database holding records)
  user add DB NAME [--level 1|2] [--sectors 001,003] [--display TEXT]
          [--writer] [--password-file FILE]
                       a server database only: create the server's login NAME
                       and its record of DROITS in one transaction. The login
                       reads the association's tables only, unless --writer;
                       level 2 may print (default 2); no --sectors: every
                       sector. The password is asked twice on the terminal,
                       or read from the first line of FILE
  user remove DB NAME  drop the login and its record of DROITS together
  user list DB         the logins of the database, with their rights
  audit DB [--since YYYY-MM-DD]
                       the outputs made on a server database: time, login,
                       kind, rows, criteria, files (its administrator only)

Options:
  -h, --help           print this text and exit (also after a command)
  --version            print the version and exit

Environment:
  MVDB_TRACE=1     log every selection and routine call to standard error
  MVDB_TRACE=PATH  write that log to the file PATH

Exit status:
  0    done
  1    a database failure (its message is on standard error)
  2    a wrong command or argument, or a request refused before any work
       (mvdb demo into a database that holds records)

Examples:
  A demo database, then the sectors' codes and labels:
    $ mvdb demo demo.mvdb
    $ mvdb select demo.mvdb 'SSELECT SECTEUR PAR 1' 0 1
  A backup, and its restoring into a new database:
    $ mvdb export demo.mvdb > backup.jsonl
    $ mvdb import copy.mvdb backup.jsonl
)";

bool AsksHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

using Command = std::function<void(const mvdb::tool::Args&, std::ostream&)>;

}  // namespace

int main(int argc, char** argv) {
  const std::map<std::string, Command> commands{
      {"create", mvdb::tool::CreateDatabase}, {"create-file", mvdb::tool::CreateFile},
      {"files", mvdb::tool::ListFiles},       {"import", mvdb::tool::Import},
      {"export", mvdb::tool::Export},         {"read", mvdb::tool::Read},
      {"select", mvdb::tool::Select},         {"index", mvdb::tool::Index},
      {"call", mvdb::tool::Call},             {"copy", mvdb::tool::Copy},
      {"demo", mvdb::tool::Demo},             {"user", mvdb::tool::User},
      {"audit", mvdb::tool::Audit},
  };
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  if (AsksHelp(args[0]) || (args.size() == 2 && commands.count(args[0]) == 1 && AsksHelp(args[1]))) {
    std::cout << kUsage;
    return 0;
  }
  if (args[0] == "--version") {
    std::cout << "mvdb (ControleMorvane) " MORVANE_VERSION "\n";
    return 0;
  }
  const auto command = commands.find(argv[1]);
  if (command == commands.end()) {
    std::cerr << "mvdb: unknown command \"" << argv[1] << "\"\nTry 'mvdb --help' for more information.\n";
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
    std::cerr << "mvdb: " << e.what() << "\nTry 'mvdb --help' for more information.\n";
    return 2;
  } catch (const mvdb::DbError& e) {
    std::cerr << "mvdb: " << e.what() << " (error 0x" << std::hex << e.number() << ")\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "mvdb: " << e.what() << "\n";
    return 1;
  }
}
