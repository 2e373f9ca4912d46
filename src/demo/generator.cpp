#include "demo/generator.h"

#include <algorithm>

#include "demo/absences.h"
#include "demo/batch_writer.h"
#include "demo/carers.h"
#include "demo/code_tables.h"
#include "demo/day_numbers.h"
#include "demo/dictionaries.h"
#include "demo/letters_seed.h"
#include "demo/organisation.h"

namespace morvane::demo {
namespace {

constexpr std::size_t kBatchSize = 10000;
constexpr long kAbsencesPerCarer = 8;
constexpr long kCarersPerAbsences = 200;  // one carer per 200 absences at large sizes

void CreateMissingFiles(mvdb::Database& db) {
  for (const std::string& name : DemoFileNames()) {
    if (db.FileExists(name)) continue;
    db.CreateFile(name, name == "STATAIDANT" ? mvdb::FileKind::kDirectory : mvdb::FileKind::kHashed);
  }
}

}  // namespace

const std::vector<std::string>& DemoFileNames() {
  static const std::vector<std::string> names = {
      "ABSENCESAIDANT", "CIVILAIDANT", "COMMUNES",    "SECTEUR",  "TABLES",
      "STATAIDANT",     "SOUSSECTEUR", "QUARTIER",    "ACTIVITES", "ASSOCIATION",
      "CONTRAT",        "GRILLESCC",   "COMPTEUR",    "ETABLISSEMENT", "CONVENTIONCOL",
      "DROITS",
  };
  return names;
}

Sizes PlannedSizes(const Options& options) {
  Sizes sizes;
  sizes.carers = std::max<long>(1, options.carers);
  if (options.absences > 0) {
    sizes.carers = std::max(sizes.carers, options.absences / kCarersPerAbsences);
    sizes.absences = options.absences;
  } else {
    sizes.absences = sizes.carers * kAbsencesPerCarer;
  }
  return sizes;
}

void Generate(mvdb::Database& db, const Options& options) {
  const Sizes sizes = PlannedSizes(options);
  const int today = options.today != 0 ? options.today : DayNumber(kDemoYear, kDemoMonth, kDemoDay);
  const std::uint64_t seed = options.seed;

  CreateMissingFiles(db);

  long absencesQueued = 0;
  long absencesCommitted = 0;
  BatchWriter writer(db, kBatchSize, [&] {
    absencesCommitted = absencesQueued;
    if (options.progress) options.progress(absencesCommitted, sizes.absences);
  });
  for (FileRecord& r : Dictionaries()) writer.Add(std::move(r));
  for (FileRecord& r : CodeTables()) writer.Add(std::move(r));
  for (FileRecord& r : OrganisationRecords()) writer.Add(std::move(r));

  // Spread the absences evenly; the first carers take the remainder.
  const long perCarer = sizes.absences / sizes.carers;
  const long remainder = sizes.absences % sizes.carers;
  for (long index = 0; index < sizes.carers; ++index) {
    GeneratedCarer carer = MakeCarer(seed, index, today);
    const long count = perCarer + (index < remainder ? 1 : 0);
    std::vector<FileRecord> absences = MakeAbsences(seed, index, carer, count, today);
    writer.Add(std::move(carer.civil));
    for (FileRecord& c : carer.contracts) writer.Add(std::move(c));
    for (FileRecord& a : absences) {
      // Counted before Add: a full buffer commits inside Add and reports.
      ++absencesQueued;
      writer.Add(std::move(a));
    }
  }
  writer.Flush();
  SeedLetters(db);

  for (const IndexedField& f : IndexedFields()) db.CreateIndex(f.file, f.field);
  if (options.progress && absencesCommitted != sizes.absences) options.progress(sizes.absences, sizes.absences);
}

}  // namespace morvane::demo
