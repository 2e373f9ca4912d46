// Command-line options of the host application `morvane` (window mode).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace morvane::host {

struct HostOptions {
  std::filesystem::path database;    ///< --db: a file or a server address; empty = MORVANE_DB or the demo database
  std::string user = "admin";        ///< --user: the DROITS record of the signed-in user
  std::filesystem::path outputDir;   ///< --out; empty = <data dir>/output
  std::filesystem::path screenshot;  ///< --screenshot: save the form after INIT and quit
  bool help = false;                 ///< --help / -h
};

/// Parses the arguments after the program name. Returns the options, or
/// std::nullopt with `error` set to a message for the user (unknown option,
/// missing value).
std::optional<HostOptions> ParseHostOptions(const std::vector<std::string>& args, std::string& error);

/// Usage text of the window mode and the batch mode.
std::string HostUsage();

/// The folder of the host's own data: $XDG_DATA_HOME/morvane, else
/// ~/.local/share/morvane (the current folder when HOME is unset too).
std::filesystem::path DefaultDataDir();

/// Fills the defaults: the database of MORVANE_DB, else the demo database, and
/// the output folder under DefaultDataDir().
HostOptions WithDefaults(HostOptions options);

/// True when the options leave the database to the default demo database
/// (no --db, no MORVANE_DB), which is made when missing.
bool UsesDemoDatabase(const HostOptions& given);

}  // namespace morvane::host
