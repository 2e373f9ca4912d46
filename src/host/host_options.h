// Command-line options of the host application `morvane` (window mode), the
// help and version texts, and the questions answered before any display is
// needed.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace morvane::host {

struct HostOptions {
  std::filesystem::path database;    ///< --db; empty = from the settings
  std::string user;                  ///< --user: the DROITS record of the signed-in user; empty = admin, or the server's login
  std::filesystem::path outputDir;   ///< --out; empty = from the settings
  std::string printer;               ///< --printer: selected first in the printer choice; empty = from the settings
  std::filesystem::path screenshot;  ///< --screenshot: save the form after INIT and quit
  bool settings = false;             ///< --settings
  bool help = false;                 ///< --help / -h
  bool version = false;              ///< --version
  bool defaultDemo = false;          ///< set by WithDefaults: the database is the built-in demo database
};

/// Parses the arguments after the program name by the rules of ReadOptions
/// (command_line.h). Returns the options, or std::nullopt with `error` set to
/// a message for the user naming the option.
std::optional<HostOptions> ParseHostOptions(const std::vector<std::string>& args, std::string& error);

/// The `morvane --help` text: both modes, every option, the exit statuses,
/// the settings and examples (also the source of the manual page).
std::string HostUsage();

/// "morvane (ControleMorvane) <version>" and a line end: the --version text.
std::string VersionText();

/// Answers what needs no display nor database, for the arguments after the
/// program name (either mode): a usage error (its line on `err`, status 2),
/// --help, --version and --settings (on `out`, status 0). Returns nullopt
/// when the program has to run.
std::optional<int> AnswerWithoutDisplay(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

/// Fills the database, the output folder and the printer the command line left
/// empty from the settings (settings.h), and sets `defaultDemo`. Problems in
/// the settings files are reported on standard error.
HostOptions WithDefaults(HostOptions options);

}  // namespace morvane::host
