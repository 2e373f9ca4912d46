#include "host/batch_options.h"

#include <utility>

#include "host/command_line.h"

namespace morvane::host {

namespace {

/// One of the named values; the message lists them.
template <class E>
OptionSetter Choice(E& target, std::vector<std::pair<std::string, E>> choices) {
  return [&target, choices = std::move(choices)](const std::string& value) {
    std::string names;
    for (const auto& [name, choice] : choices) {
      if (name == value) {
        target = choice;
        return std::string();
      }
      names += (names.empty() ? "" : ", ") + name;
    }
    return "one of " + names;
  };
}

OptionSetter YesNo(std::optional<bool>& target) {
  return [&target](const std::string& value) {
    if (value == "yes" || value == "oui" || value == "no" || value == "non") {
      target = value == "yes" || value == "oui";
      return std::string();
    }
    return std::string("yes or no");
  };
}

OptionSetter Copies(int& target) {
  return [&target](const std::string& value) {
    const bool digits = !value.empty() && value.find_first_not_of("0123456789") == std::string::npos;
    const int copies = digits && value.size() <= 2 ? std::stoi(value) : 0;
    if (copies < 1) return std::string("a number from 1 to 99");
    target = copies;
    return std::string();
  };
}

}  // namespace

std::optional<BatchOptions> ParseBatchOptions(const std::vector<std::string>& args, std::string& error) {
  using O = BatchOptions;
  O o;
  const OptionSetter carers = [&o](const std::string& code) {
    o.carerCode = code;
    return std::string();
  };
  std::vector<OptionRule> rules = SharedOptionRules(o);
  rules.insert(rules.end(), {
      {{"--sick-leave"}, 0, SetFlag(o.sickLeave)},
      {{"--leave"}, 0, SetFlag(o.leave)},
      {{"--other"}, 0, SetFlag(o.other)},
      {{"--to-validate"}, 0, SetFlag(o.toValidate)},
      {{"--reason"}, 2, SetText(o.reason)},
      {{"--sector"}, kWordLength,
       [&](const std::string& v) { o.carers = O::Carers::Sector; return carers(v); }, "the carers", true},
      {{"--commune"}, kWordLength,
       [&](const std::string& v) { o.carers = O::Carers::Commune; return carers(v); }, "the carers"},
      {{"--all"}, 0, [&](const std::string& v) { o.carers = O::Carers::All; return carers(v); }, "the carers"},
      {{"--entity"}, kWordLength, [&o](const std::string& v) { o.entity = v; return std::string(); }},
      {{"--provider"}, kWordLength, YesNo(o.provider)},
      {{"--agent"}, kWordLength, YesNo(o.agent)},
      {{"--from"}, kDateLength, SetText(o.from)},
      {{"--to"}, kDateLength, SetText(o.to)},
      {{"--count"}, kWordLength,
       Choice(o.count, {{"within", O::Count::Within}, {"starting", O::Count::Starting}, {"ending", O::Count::Ending}})},
      {{"--no-return-date"}, 0, SetFlag(o.noReturnDate)},
      {{"--sort"}, kWordLength, Choice(o.sort, {{"name", O::Sort::Name}, {"start", O::Sort::Start}, {"end", O::Sort::End}})},
      {{"--output"}, kWordLength,
       Choice(o.output, {{"list", O::Output::List}, {"planning", O::Output::Planning}, {"export", O::Output::Export},
                         {"letter-type", O::Output::LetterType}, {"letter-merge", O::Output::LetterMerge}})},
      {{"--copies"}, kWordLength, Copies(o.copies)},
      {{"--output-file"}, kPathLength, SetText(o.outputFile)},
      {{"--list-printers"}, 0, SetFlag(o.listPrinters)},
  });
  error = ReadOptions(args, rules);
  if (!error.empty()) return std::nullopt;
  return o;
}

std::string BatchOptionSections() {
  return R"(Database and user:
  --db ADDRESS         the database: a file, or a server's address
                       (postgresql://host/dbname?schema=NAME)
  --user NAME          the signed-in user, from the DROITS file (default: admin);
                       the user needs access level 2 on ABSENCESAIDANT to print.
                       Refused on a server database: there the user is the
                       login the server signs in, with libpq's settings (the
                       address's user, PGUSER, else the login name; the
                       password from ~/.pgpass or PGPASSFILE, never asked)
  --out DIR            the folder of the merged letters, and of the PDF file
                       when --output-file is not given
  --settings           print the settings in force (database, output folder,
                       printer) and where each comes from, and exit

Absence types (at least one) and reason:
  --sick-leave         "Arrêt de travail"
  --leave              "Congés"
  --other              "Autres"
  --to-validate        "A valider"
  --reason CODE        with exactly one type: the reason of that code (e.g. 03)

Carers (one of):
  --sector [CODE]      carers of one sector (the default); without a code, all
                       sectors, grouped by sector
  --commune CODE       carers of one commune, by its code (e.g. 42000), grouped
                       by commune
  --all                every carer ("Totalité")

Legal entity:
  --entity CODE        legal entity code (e.g. 010); the form then offers its
                       activity types
  --provider yes|no    tick or untick "Prestataire" (offered types start ticked)
  --agent yes|no       tick or untick "Mandataire"

Period:
  --from DATE          first day, e.g. 01/06/2025 or 010625
  --to DATE            last day
  --count within|starting|ending
                       absences overlapping the period (default), starting in
                       it, or ending in it
  --no-return-date     only absences without a return-to-work date (with
                       --sick-leave alone)
  --sort name|start|end
                       alphabetical (default), by first day or by last day of
                       absence

Output:
  --output list|planning|export|letter-type|letter-merge
                       printed list (default), planning (12 weeks at most), CSV
                       statistics file, paid-leave letters printed or merged
                       (letters: --sick-leave alone with --count ending); the
                       CSV file is stored in the database, in the folder
                       <database>.d/STATAIDANT/, whatever --out says
  --printer NAME       printer by name (default: PDF); see --list-printers
  --copies N           number of copies, 1 to 99 (default 1)
  --output-file PATH   file written by the PDF printers (default:
                       DIR/impression.pdf)
  --list-printers      print the printers' names and exit
  -h, --help           print this text and exit
  --version            print the version and exit

Each option is given at most once; its value follows it, or comes after "="
(--entity=010), which is needed for a value that begins with "-". Dates take
at most 10 characters, codes the length of their field (sector 3, commune 5,
entity 3, reason 2), names 255 and paths 4096.
)";
}

std::string BatchExitStatuses() {
  return R"(  0    the output was made
  1    the form refused the request (its message is on standard error)
  2    a wrong option, or a criterion the form does not offer with the others
  3    the user may not print
  4    a failure: the database cannot be opened, an output failed or the
       server did not record it in its audit trail
  5    the server refused the sign-in (wrong or missing password, unknown
       login)
)";
}

std::string BatchExamples() {
  return R"(  The list of June's sick leave in sector 001, as a PDF file:
    $ morvane report --sick-leave --sector 001 --from 01/06/2025 --to 30/06/2025
  The statistics file of the year, stored in <database>.d/STATAIDANT/:
    $ morvane report --leave --other --all --from 1/1/25 --to 31/12/25 --output export
  A planning of four weeks into a file of one's choice:
    $ morvane report --sick-leave --leave --from 2/6/25 --to 29/6/25 --output planning --output-file planning.pdf
  Two copies of the paid-leave letters for the absences ending in May:
    $ morvane report --sick-leave --count ending --from 1/5/25 --to 31/5/25 --output letter-type --copies 2
)";
}

std::string BatchUsage() {
  return "Usage: morvane report [OPTION]...\n"
         "Sets the criteria of the absence-reporting form as a user would, presses\n"
         "\"Imprimer\" and writes every message of the form to standard error.\n\n" +
         BatchOptionSections() + "\nExit status:\n" + BatchExitStatuses() + "\nExamples:\n" + BatchExamples();
}

}  // namespace morvane::host
