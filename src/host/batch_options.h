// Command-line options of the batch mode `morvane report`: one option per
// criterion of the selection form, the output, the printer and the database.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace morvane::host {

/// What the batch mode sets on the form, as typed on the command line. Texts
/// are typed into the form's fields as they stand (dates in any form the date
/// service reads, codes completed by the form as a user's are).
struct BatchOptions {
  // database and user
  std::filesystem::path database;   ///< --db; empty = from the settings
  std::string user;                 ///< --user; empty = admin, or the server's login
  std::filesystem::path outputDir;  ///< --out; empty = from the settings

  // absence types and reason
  bool sickLeave = false;   ///< --sick-leave   "Arrêt de travail"
  bool leave = false;       ///< --leave        "Congés"
  bool other = false;       ///< --other        "Autres"
  bool toValidate = false;  ///< --to-validate  "A valider"
  std::string reason;       ///< --reason CODE: the reason offered with that code

  // carers
  enum class Carers { Sector, Commune, All };
  Carers carers = Carers::Sector;  ///< --sector CODE | --commune CODE | --all
  std::string carerCode;           ///< the sector or commune code typed

  // legal entity and activity types
  std::string entity;                ///< --entity CODE
  std::optional<bool> provider;      ///< --provider yes|no  "Prestataire"
  std::optional<bool> agent;         ///< --agent yes|no     "Mandataire"

  // period
  std::string from;  ///< --from DATE
  std::string to;    ///< --to DATE
  enum class Count { Within, Starting, Ending };
  Count count = Count::Within;  ///< --count within|starting|ending
  bool noReturnDate = false;    ///< --no-return-date
  enum class Sort { Name, Start, End };
  Sort sort = Sort::Name;       ///< --sort name|start|end

  // output
  enum class Output { List, Planning, Export, LetterType, LetterMerge };
  Output output = Output::List;  ///< --output list|planning|export|letter-type|letter-merge
  std::string printer;           ///< --printer NAME (see --list-printers); empty = from the settings
  int copies = 1;                ///< --copies N (1 to 99)
  std::filesystem::path outputFile;  ///< --output-file PATH: the file a PDF printer writes

  bool listPrinters = false;  ///< --list-printers: print the printer names and exit
  bool settings = false;      ///< --settings: print the settings in force and exit
  bool help = false;          ///< --help / -h
  bool version = false;       ///< --version
};

/// Parses the arguments after "report" by the rules of ReadOptions
/// (command_line.h). Returns the options, or nullopt with `error` set to a
/// message naming the offending option.
std::optional<BatchOptions> ParseBatchOptions(const std::vector<std::string>& args, std::string& error);

/// The `morvane report --help` text: every option with its meaning, the exit
/// statuses and examples.
std::string BatchUsage();

/// The option sections of BatchUsage(), for the host's whole help text.
std::string BatchOptionSections();

/// The exit statuses of the batch mode, as lines of a help text.
std::string BatchExitStatuses();

/// The examples of the batch mode, as lines of a help text.
std::string BatchExamples();

}  // namespace morvane::host
