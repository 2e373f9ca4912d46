#include "host/settings.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>

#include "host/command_line.h"

namespace morvane::host {

namespace {

namespace fs = std::filesystem;

/// One key of the settings: its option, variable, file key and longest value.
struct Key {
  Setting HostSettings::*member;
  std::string GivenSettings::*given;
  const char* option;
  const char* variable;
  const char* name;
  std::size_t maxLength;
  const char* builtIn;  ///< what the built-in default is, for --settings
};

const Key kKeys[] = {
    {&HostSettings::database, &GivenSettings::database, "--db", "MORVANE_DB", "database", kPathLength,
     ": the demo database, made on first run"},
    {&HostSettings::output, &GivenSettings::output, "--out", "MORVANE_OUT", "output", kPathLength, ""},
    {&HostSettings::printer, &GivenSettings::printer, "--printer", "MORVANE_PRINTER", "printer", kNameLength, ""},
};

/// An absolute path from an environment variable, or nullopt.
std::optional<fs::path> AbsoluteFromEnvironment(const char* variable) {
  const char* value = std::getenv(variable);
  if (value == nullptr || *value != '/') return std::nullopt;
  return fs::path(value);
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

/// The values of one settings file by key; problems go to `warnings`.
std::map<std::string, std::string> ReadSettingsFile(const fs::path& file, std::vector<std::string>& warnings) {
  std::map<std::string, std::string> values;
  std::error_code ec;
  if (!fs::exists(file, ec)) return values;
  std::ifstream in(file);
  if (!in) {
    warnings.push_back(file.string() + ": cannot be read, ignored");
    return values;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    const std::string where = file.string() + ":" + std::to_string(number) + ": ";
    line = Trimmed(line);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    const auto eq = line.find('=');
    if (eq == std::string::npos) {
      warnings.push_back(where + "not a \"key = value\" line, ignored");
      continue;
    }
    const std::string key = Trimmed(line.substr(0, eq));
    const std::string value = Trimmed(line.substr(eq + 1));
    const Key* known = nullptr;
    for (const Key& k : kKeys) {
      if (key == k.name) known = &k;
    }
    if (known == nullptr) {
      warnings.push_back(where + "unknown key " + Shown(key) + " (database, output or printer), ignored");
    } else if (CharacterCount(value) > known->maxLength) {
      warnings.push_back(where + key + " longer than " + std::to_string(known->maxLength) + " characters, ignored");
    } else {
      values[key] = value;
    }
  }
  return values;
}

}  // namespace

fs::path UserSettingsFile() {
  if (const auto config = AbsoluteFromEnvironment("XDG_CONFIG_HOME")) return *config / "morvane" / "morvane.conf";
  if (const auto home = AbsoluteFromEnvironment("HOME")) return *home / ".config" / "morvane" / "morvane.conf";
  return {};
}

std::vector<fs::path> SystemSettingsFiles() {
  const char* dirs = std::getenv("XDG_CONFIG_DIRS");
  std::string list = dirs != nullptr && *dirs != '\0' ? dirs : "/etc/xdg";
  std::vector<fs::path> files;
  for (std::size_t start = 0; start <= list.size();) {
    const std::size_t end = std::min(list.find(':', start), list.size());
    const std::string dir = list.substr(start, end - start);
    if (!dir.empty() && dir[0] == '/') files.push_back(fs::path(dir) / "morvane" / "morvane.conf");
    start = end + 1;
  }
  return files;
}

fs::path DefaultDataDir() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0') {
    return fs::path(xdg) / "morvane";
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return fs::path(home) / ".local" / "share" / "morvane";
  }
  return fs::current_path() / "morvane";
}

HostSettings ResolveSettings(const GivenSettings& given, std::vector<std::string>& warnings) {
  // The files, most important first: the user's, then the system's.
  std::vector<std::pair<fs::path, Setting::Source>> files;
  if (const fs::path user = UserSettingsFile(); !user.empty()) files.emplace_back(user, Setting::Source::UserFile);
  for (const fs::path& system : SystemSettingsFiles()) files.emplace_back(system, Setting::Source::SystemFile);
  std::vector<std::map<std::string, std::string>> contents;
  for (const auto& [file, source] : files) contents.push_back(ReadSettingsFile(file, warnings));

  HostSettings settings;
  settings.database.value = (DefaultDataDir() / "demo.mvdb").string();
  settings.output.value = (DefaultDataDir() / "output").string();
  settings.printer.value = "PDF";
  for (const Key& key : kKeys) {
    Setting& setting = settings.*(key.member);
    std::string variable = std::getenv(key.variable) != nullptr ? std::getenv(key.variable) : "";
    if (CharacterCount(variable) > key.maxLength) {
      warnings.push_back(std::string(key.variable) + " longer than " + std::to_string(key.maxLength) +
                         " characters, ignored");
      variable.clear();
    }
    if (!(given.*(key.given)).empty()) {
      setting = {given.*(key.given), Setting::Source::CommandLine, key.option};
    } else if (!variable.empty()) {
      setting = {variable, Setting::Source::Environment, key.variable};
    } else {
      for (std::size_t f = 0; f < files.size(); ++f) {
        const auto found = contents[f].find(key.name);
        if (found == contents[f].end() || found->second.empty()) continue;
        setting = {found->second, files[f].second, files[f].first.string()};
        break;
      }
    }
  }
  return settings;
}

std::string DescribeSettings(const HostSettings& settings) {
  std::string text;
  for (const Key& key : kKeys) {
    const Setting& setting = settings.*(key.member);
    switch (setting.source) {
      case Setting::Source::CommandLine: text += "# from the command line (" + setting.origin + ")\n"; break;
      case Setting::Source::Environment: text += "# from the environment (" + setting.origin + ")\n"; break;
      case Setting::Source::UserFile: text += "# from the user's settings (" + setting.origin + ")\n"; break;
      case Setting::Source::SystemFile: text += "# from the system's settings (" + setting.origin + ")\n"; break;
      case Setting::Source::BuiltIn: text += std::string("# built-in default") + key.builtIn + "\n"; break;
    }
    text += std::string(key.name) + " = " + setting.value + "\n";
  }
  return text;
}

}  // namespace morvane::host
