// The demo database generator: creates every file the absence-reporting control
// reads, their dictionaries and indexes, and fills them with realistic,
// deterministic data.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "mvdb/database.h"

namespace morvane::demo {

/// What to generate. Defaults give the small demo database.
struct Options {
  /// Number of carers; raised to absences / 200 when absences asks for more.
  int carers = 60;
  /// Number of absences; 0 = about 8 per carer.
  long absences = 0;
  /// Same seed, same records (texts and keys), whatever the machine.
  unsigned seed = 1;
  /// The demo date as a day number (day 1 = 1 January 1968); 0 = 15 June 2025.
  /// Absences cluster around it and in its calendar year.
  int today = 0;
  /// Called after each committed batch with absences written and in total.
  std::function<void(long done, long total)> progress;
};

/// The files Generate creates: the fifteen files the control opens, then the
/// users' rights file DROITS. "STATAIDANT" is a directory file.
const std::vector<std::string>& DemoFileNames();

/// The number of carers and absences Generate writes for these options.
/// Counts of generated records.
struct Sizes {
  long carers = 0;
  long absences = 0;
};
Sizes PlannedSizes(const Options& options);

/// Fills `db`: creates each missing file (STATAIDANT as a directory file),
/// writes the dictionaries, the code tables, the organisation, the carers with
/// their contracts and absences (in transactions of about 10,000 records), then
/// builds the secondary indexes. Throws mvdb::DbError from the engine, e.g.
/// kIo on a storage failure; records already committed stay.
void Generate(mvdb::Database& db, const Options& options);

}  // namespace morvane::demo
