#include "host/host_options.h"

#include <cstdlib>

namespace morvane::host {

std::optional<HostOptions> ParseHostOptions(const std::vector<std::string>& args, std::string& error) {
  HostOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      continue;
    }
    std::string value;
    std::string name = arg;
    if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
    } else if (name == "--db" || name == "--user" || name == "--out" || name == "--screenshot") {
      if (i + 1 >= args.size()) {
        error = "option " + name + " needs a value";
        return std::nullopt;
      }
      value = args[++i];
    }
    if (name == "--db") {
      options.database = value;
    } else if (name == "--user") {
      options.user = value;
    } else if (name == "--out") {
      options.outputDir = value;
    } else if (name == "--screenshot") {
      options.screenshot = value;
    } else {
      error = "unknown option " + arg;
      return std::nullopt;
    }
    if (value.empty()) {
      error = "option " + name + " needs a value";
      return std::nullopt;
    }
  }
  return options;
}

std::string HostUsage() {
  return "usage: morvane [--db ADDRESS] [--user NAME] [--out DIR] [--screenshot PNG]\n"
         "       morvane report ...   (batch mode, see morvane report --help)\n"
         "  --db ADDRESS      the database: a file, or a server's address (postgresql://host/dbname?schema=NAME);\n"
         "                    default: $MORVANE_DB, else the demo database, created on first run\n"
         "  --user NAME       the signed-in user, a record of DROITS (default: admin)\n"
         "  --out DIR         where printed PDF files and letters are written\n"
         "  --screenshot PNG  save a picture of the form after INIT and quit\n";
}

std::filesystem::path DefaultDataDir() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0') {
    return std::filesystem::path(xdg) / "morvane";
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return std::filesystem::path(home) / ".local" / "share" / "morvane";
  }
  return std::filesystem::current_path() / "morvane";
}

bool UsesDemoDatabase(const HostOptions& given) {
  const char* environment = std::getenv("MORVANE_DB");
  return given.database.empty() && (environment == nullptr || *environment == '\0');
}

HostOptions WithDefaults(HostOptions options) {
  if (const char* environment = std::getenv("MORVANE_DB"); options.database.empty() && environment != nullptr)
    options.database = environment;
  if (options.database.empty()) options.database = DefaultDataDir() / "demo.mvdb";
  if (options.outputDir.empty()) options.outputDir = DefaultDataDir() / "output";
  return options;
}

}  // namespace morvane::host
