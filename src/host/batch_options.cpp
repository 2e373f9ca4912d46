#include "host/batch_options.h"

#include <functional>
#include <map>

namespace morvane::host {

namespace {

bool YesNo(const std::string& text, std::optional<bool>& out) {
  if (text == "yes" || text == "oui") {
    out = true;
  } else if (text == "no" || text == "non") {
    out = false;
  } else {
    return false;
  }
  return true;
}

template <class E>
bool Choice(const std::string& text, const std::map<std::string, E>& choices, E& out) {
  const auto it = choices.find(text);
  if (it == choices.end()) return false;
  out = it->second;
  return true;
}

}  // namespace

std::optional<BatchOptions> ParseBatchOptions(const std::vector<std::string>& args, std::string& error) {
  using O = BatchOptions;
  O o;
  const std::map<std::string, bool O::*> flags = {
      {"--sick-leave", &O::sickLeave}, {"--leave", &O::leave},           {"--other", &O::other},
      {"--to-validate", &O::toValidate}, {"--no-return-date", &O::noReturnDate},
      {"--list-printers", &O::listPrinters}, {"--help", &O::help},     {"-h", &O::help},
  };
  // Options with a value: each returns false when the value is not accepted.
  const std::map<std::string, std::function<bool(const std::string&)>> valued = {
      {"--db", [&](const std::string& v) { o.database = v; return !v.empty(); }},
      {"--user", [&](const std::string& v) { o.user = v; return !v.empty(); }},
      {"--out", [&](const std::string& v) { o.outputDir = v; return !v.empty(); }},
      {"--reason", [&](const std::string& v) { o.reason = v; return !v.empty(); }},
      {"--sector", [&](const std::string& v) { o.carers = O::Carers::Sector; o.carerCode = v; return true; }},
      {"--commune", [&](const std::string& v) { o.carers = O::Carers::Commune; o.carerCode = v; return true; }},
      {"--entity", [&](const std::string& v) { o.entity = v; return true; }},
      {"--provider", [&](const std::string& v) { return YesNo(v, o.provider); }},
      {"--agent", [&](const std::string& v) { return YesNo(v, o.agent); }},
      {"--from", [&](const std::string& v) { o.from = v; return true; }},
      {"--to", [&](const std::string& v) { o.to = v; return true; }},
      {"--count", [&](const std::string& v) {
         return Choice<O::Count>(v, {{"within", O::Count::Within}, {"starting", O::Count::Starting},
                                     {"ending", O::Count::Ending}}, o.count);
       }},
      {"--sort", [&](const std::string& v) {
         return Choice<O::Sort>(v, {{"name", O::Sort::Name}, {"start", O::Sort::Start}, {"end", O::Sort::End}},
                                o.sort);
       }},
      {"--output", [&](const std::string& v) {
         return Choice<O::Output>(v, {{"list", O::Output::List}, {"planning", O::Output::Planning},
                                      {"export", O::Output::Export}, {"letter-type", O::Output::LetterType},
                                      {"letter-merge", O::Output::LetterMerge}}, o.output);
       }},
      {"--printer", [&](const std::string& v) { o.printer = v; return !v.empty(); }},
      {"--copies", [&](const std::string& v) {
         try {
           std::size_t used = 0;
           o.copies = std::stoi(v, &used);
           return used == v.size() && o.copies >= 1 && o.copies <= 99;
         } catch (const std::exception&) {
           return false;
         }
       }},
      {"--output-file", [&](const std::string& v) { o.outputFile = v; return !v.empty(); }},
  };

  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> value;
    if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
    }
    if (const auto flag = flags.find(name); flag != flags.end() && !value) {
      o.*(flag->second) = true;
      continue;
    }
    if (name == "--all" && !value) {
      o.carers = O::Carers::All;
      o.carerCode.clear();
      continue;
    }
    const auto option = valued.find(name);
    if (option == valued.end()) {
      error = "unknown option " + args[i];
      return std::nullopt;
    }
    // "--sector" alone (at the end, or followed by another option) means every
    // sector, grouped by sector.
    const bool valueOptional = name == "--sector";
    if (!value && valueOptional && (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0)) value = "";
    if (!value) {
      if (i + 1 >= args.size()) {
        error = "option " + name + " needs a value";
        return std::nullopt;
      }
      value = args[++i];
    }
    if (!option->second(*value)) {
      error = "option " + name + ": value \"" + *value + "\" is not accepted (see --help)";
      return std::nullopt;
    }
  }
  return o;
}

std::string BatchUsage() {
  return R"(Usage: morvane report [OPTIONS]

Sets the criteria of the absence-reporting form as a user would, presses
"Imprimer" and writes every message of the form to standard error.

Database and user:
  --db ADDRESS         database file or server address (postgresql://host/dbname?schema=NAME)
                       (default: $MORVANE_DB, else the demo database, created on first run)
  --user NAME          signed-in user, from the DROITS file (default: admin); the
                       user needs access level 2 on ABSENCESAIDANT to print
  --out DIR            folder of the outputs (default: the host's output folder)

Absence types (at least one) and reason:
  --sick-leave         "Arrêt de travail"
  --leave              "Congés"
  --other              "Autres"
  --to-validate        "A valider"
  --reason CODE        with exactly one type: the reason of that code (e.g. 03)

Carers:
  --sector CODE        carers of one sector (the default mode; without a code: all
                       sectors, grouped by sector)
  --commune CODE       carers of one commune, by its code (e.g. 75000), grouped by commune
  --all                every carer ("Totalité")

Legal entity:
  --entity CODE        legal entity code (e.g. 001); the form then offers its activity types
  --provider yes|no    tick or untick "Prestataire" (offered types start ticked)
  --agent yes|no       tick or untick "Mandataire"

Period:
  --from DATE          first day, e.g. 01/06/2025 or 010625
  --to DATE            last day
  --count within|starting|ending
                       absences overlapping the period (default), starting in it, or
                       ending in it
  --no-return-date     only absences without a return-to-work date (with --sick-leave)
  --sort name|start|end
                       alphabetical (default), by first day or by last day of absence

Output:
  --output list|planning|export|letter-type|letter-merge
                       printed list (default), planning (12 weeks at most), CSV
                       statistics file, paid-leave letters printed or merged
                       (letters: --sick-leave alone with --count ending)
  --printer NAME       printer by name (default: PDF); see --list-printers
  --copies N           number of copies, 1 to 99 (default 1)
  --output-file PATH   file written by the PDF printers (default: DIR/impression.pdf)
  --list-printers      print the printers' names and exit
  -h, --help           this text

Exit status: 0 the output was made; 1 the form refused the request (its
message is on standard error); 2 a wrong option or a criterion the form does
not offer; 3 the user may not print; 4 a failure (database, printer).

Examples:
  morvane report --sick-leave --sector 001 --from 01/06/2025 --to 30/06/2025
  morvane report --leave --other --all --from 01/01/2025 --to 31/12/2025 \
      --output export --out /tmp/exports
  morvane report --sick-leave --leave --from 02/06/2025 --to 29/06/2025 \
      --output planning --output-file /tmp/planning.pdf
  morvane report --sick-leave --count ending --from 01/05/2025 --to 31/05/2025 \
      --entity 001 --agent no --output letter-type --copies 2
)";
}

}  // namespace morvane::host
