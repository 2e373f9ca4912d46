// Reading the host's command lines: long options with their value after a
// blank or "=", the rules both modes share, and messages that name the option
// and never echo more than a short prefix of what was typed.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace morvane::host {

/// Longest value an option takes, by kind of value; checked before the value
/// is read, so an absurd value costs nothing.
inline constexpr std::size_t kPathLength = 4096;  ///< a file, a folder, a database address
inline constexpr std::size_t kNameLength = 255;   ///< a user or a printer
inline constexpr std::size_t kDateLength = 10;    ///< "dd/mm/yyyy"
inline constexpr std::size_t kWordLength = 32;    ///< a choice, a number, a code (the form then checks the code's own length)

/// Takes an option's value ("" for a flag). Returns "" when it is accepted,
/// else what the option accepts ("1 to 99"), which the message shows.
using OptionSetter = std::function<std::string(const std::string& value)>;

/// One option of a command line.
struct OptionRule {
  OptionRule(std::vector<std::string> names_, std::size_t maxLength_, OptionSetter set_, std::string chooses_ = {},
             bool valueOptional_ = false)
      : names(std::move(names_)), maxLength(maxLength_), set(std::move(set_)), chooses(std::move(chooses_)),
        valueOptional(valueOptional_) {}

  std::vector<std::string> names;  ///< spellings, e.g. {"--help", "-h"}
  /// Longest value in characters; 0 makes a flag, which takes no value.
  std::size_t maxLength = 0;
  OptionSetter set;
  /// Options with the same non-empty `chooses` set one thing ("the carers"):
  /// at most one of them may be given.
  std::string chooses;
  /// The value may be left out ("--sector" last or before another option):
  /// `set` then receives "".
  bool valueOptional = false;
};

/// Applies `rules` to `args` from left to right. Returns "" when every
/// argument was accepted, else one line for the user naming the option. An
/// option with a value may be given once (a flag may repeat); its value is
/// the next argument, which must not look like an option ("-x"), or the text
/// after "=", which may be anything.
std::string ReadOptions(const std::vector<std::string>& args, const std::vector<OptionRule>& rules);

/// The setter of a flag: raises `target`.
OptionSetter SetFlag(bool& target);

/// The setter of a text or a path: stores the value, refuses an empty one.
template <class T>
OptionSetter SetText(T& target) {
  return [&target](const std::string& value) {
    target = value;
    return value.empty() ? std::string("a value that is not empty") : std::string();
  };
}

/// The options both modes of `morvane` take, for an options struct with the
/// members database, user, outputDir, printer, settings, help and version.
template <class Options>
std::vector<OptionRule> SharedOptionRules(Options& o) {
  return {
      {{"--db"}, kPathLength, SetText(o.database)},
      {{"--user"}, kNameLength, SetText(o.user)},
      {{"--out"}, kPathLength, SetText(o.outputDir)},
      {{"--printer"}, kNameLength, SetText(o.printer)},
      {{"--settings"}, 0, SetFlag(o.settings)},
      {{"--help", "-h"}, 0, SetFlag(o.help)},
      {{"--version"}, 0, SetFlag(o.version)},
  };
}

/// `text` in double quotes for a message: whole when short, else its first
/// characters, "…" and its length in characters.
std::string Shown(const std::string& text);

/// Number of characters of UTF-8 text (bytes that start a character).
std::size_t CharacterCount(const std::string& text);

}  // namespace morvane::host
