// The host's settings and where each comes from: the command line, the
// environment, the user's settings file, the system's settings files, then
// the built-in default. An office's administrator sets the database address
// once for every computer in the system's file.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace morvane::host {

/// One setting in force.
struct Setting {
  enum class Source { CommandLine, Environment, UserFile, SystemFile, BuiltIn };
  std::string value;
  Source source = Source::BuiltIn;
  std::string origin;  ///< the option, the variable or the file it came from; "" for the built-in default
};

/// The three settings of the host.
struct HostSettings {
  Setting database;  ///< --db, MORVANE_DB, key "database"; built in: the demo database
  Setting output;    ///< --out, MORVANE_OUT, key "output"; built in: the output folder beside it
  Setting printer;   ///< --printer, MORVANE_PRINTER, key "printer"; built in: "PDF"
};

/// What the command line gave; an empty text is "not given".
struct GivenSettings {
  std::string database;
  std::string output;
  std::string printer;
};

/// The user's settings file: $XDG_CONFIG_HOME/morvane/morvane.conf, else
/// ~/.config/morvane/morvane.conf ("" when neither variable is usable).
std::filesystem::path UserSettingsFile();

/// The system's settings files, most important first: morvane/morvane.conf
/// in each folder of $XDG_CONFIG_DIRS (default /etc/xdg).
std::vector<std::filesystem::path> SystemSettingsFiles();

/// The folder of the host's own data: $XDG_DATA_HOME/morvane, else
/// ~/.local/share/morvane (the current folder when HOME is unset too).
std::filesystem::path DefaultDataDir();

/// Resolves each setting from the first level that gives a non-empty value.
/// A settings file holds "key = value" lines, "#" or ";" comment lines and
/// blank lines; the keys are database, output and printer. A file that
/// cannot be read, a line that is not "key = value", an unknown key or an
/// overlong value is skipped with a line in `warnings` naming the file and
/// line. A missing file is no warning.
HostSettings ResolveSettings(const GivenSettings& given, std::vector<std::string>& warnings);

/// The text of `morvane --settings`: each setting as a settings-file line,
/// preceded by a comment saying where it comes from.
std::string DescribeSettings(const HostSettings& settings);

}  // namespace morvane::host
