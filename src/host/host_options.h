// Command-line options of the host application `morvane` (window mode).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace morvane::host {

struct HostOptions {
  std::filesystem::path database;    ///< --db; empty = the demo database
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

/// Fills the defaults: the demo database and output folder under DefaultDataDir().
HostOptions WithDefaults(HostOptions options);

}  // namespace morvane::host
