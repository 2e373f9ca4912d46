#include "host/host_options.h"

#include <iostream>

#include "host/batch_options.h"
#include "host/command_line.h"
#include "host/settings.h"

namespace morvane::host {

namespace {

constexpr int kDone = 0;
constexpr int kUsage = 2;

/// What a command line asks before anything runs.
struct Questions {
  GivenSettings given;
  bool help = false;
  bool version = false;
  bool settings = false;
};

template <class Options>
Questions Asked(const Options& o) {
  return {{o.database.string(), o.outputDir.string(), o.printer}, o.help, o.version, o.settings};
}

HostSettings Resolve(const GivenSettings& given) {
  std::vector<std::string> warnings;
  HostSettings settings = ResolveSettings(given, warnings);
  for (const std::string& warning : warnings) std::cerr << "morvane: settings: " << warning << "\n";
  return settings;
}

}  // namespace

std::optional<HostOptions> ParseHostOptions(const std::vector<std::string>& args, std::string& error) {
  HostOptions o;
  std::vector<OptionRule> rules = SharedOptionRules(o);
  rules.emplace_back(std::vector<std::string>{"--screenshot"}, kPathLength, SetText(o.screenshot));
  error = ReadOptions(args, rules);
  if (!error.empty()) return std::nullopt;
  return o;
}

std::string HostUsage() {
  return R"(Usage: morvane [OPTION]...
  or:  morvane report [OPTION]...
Reports the absences of the association's carers: a printed list, a planning,
a CSV statistics file or paid-leave letters.

Without "report", shows the selection form in a window: after each output it
tells where the files written are and shows a fresh form for the next request,
until "Sortir" or the window is closed. With "report" (the batch mode), sets
the form's criteria from the options, presses "Imprimer" and makes the output
without a window.

Options:
  --db ADDRESS         the database: a file, or a server's address
                       (postgresql://host/dbname?schema=NAME)
  --user NAME          the signed-in user, a record of DROITS (default: admin);
                       refused on a server database, whose login signs in
                       (a sign-in dialog asks its password when needed)
  --out DIR            the folder of the PDF files and merged letters
  --printer NAME       the printer the printer choice selects first
  --screenshot PNG     save a picture of the form once it is ready, and quit
  --settings           print the settings in force (database, output folder,
                       printer) and where each comes from, and exit
  -h, --help           print this text and exit
  --version            print the version and exit

The batch mode, morvane report, takes these options:

)" + BatchOptionSections() +
         R"(
Settings:
  The database, the output folder and the printer come from, in this order:
  the command line (--db, --out, --printer); the environment (MORVANE_DB,
  MORVANE_OUT, MORVANE_PRINTER); the user's settings file
  ($XDG_CONFIG_HOME/morvane/morvane.conf, by default
  ~/.config/morvane/morvane.conf); the system's settings files
  (morvane/morvane.conf in each folder of $XDG_CONFIG_DIRS, by default
  /etc/xdg/morvane/morvane.conf); then the built-in defaults: the demo
  database $XDG_DATA_HOME/morvane/demo.mvdb (by default in
  ~/.local/share/morvane, made on first run), the output folder beside it
  and the printer "PDF". A settings file holds "key = value" lines with the
  keys database, output and printer, and "#" comment lines.

Exit status:
  0    "Sortir" or the window closed; in the batch mode, the output was made
  1    the window could not open the database, the user or the form (the
       reason is shown and on standard error); in the batch mode, the form
       refused the request (its message is on standard error)
  2    a wrong option; in the batch mode also a criterion the form does not
       offer with the others
  3    in the batch mode: the user may not print
  4    in the batch mode: a failure (the database cannot be opened, an output
       failed or was not recorded in the server's audit trail)
  5    the server refused the sign-in (in the window: after three tries)

Examples:
  The form on the office's database, for the user marie:
    $ morvane --db /srv/association/absences.mvdb --user marie
)" + BatchExamples();
}

std::string VersionText() { return "morvane (ControleMorvane) " MORVANE_VERSION "\n"; }

std::optional<int> AnswerWithoutDisplay(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string error;
  Questions asked;
  const bool batch = !args.empty() && args[0] == "report";
  const std::string program = batch ? "morvane report" : "morvane";
  if (batch) {
    if (const auto options = ParseBatchOptions(std::vector<std::string>(args.begin() + 1, args.end()), error)) {
      asked = Asked(*options);
    }
  } else if (const auto options = ParseHostOptions(args, error)) {
    asked = Asked(*options);
  }
  if (!error.empty()) {
    err << program << ": " << error << "\nTry '" << program << " --help' for more information.\n";
    return kUsage;
  }
  if (asked.help) {
    out << (batch ? BatchUsage() : HostUsage());
  } else if (asked.version) {
    out << VersionText();
  } else if (asked.settings) {
    out << DescribeSettings(Resolve(asked.given));
  } else {
    return std::nullopt;
  }
  return kDone;
}

HostOptions WithDefaults(HostOptions options) {
  const HostSettings settings = Resolve({options.database.string(), options.outputDir.string(), options.printer});
  options.database = settings.database.value;
  options.outputDir = settings.output.value;
  options.printer = settings.printer.value;
  options.defaultDemo = settings.database.source == Setting::Source::BuiltIn;
  return options;
}

}  // namespace morvane::host
