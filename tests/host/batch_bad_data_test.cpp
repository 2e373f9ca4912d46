// Whole `morvane report` runs on demo databases damaged in one way each: every
// output either completes, with the fallback it documents, or stops with a
// clear message and its status; none crashes and no exception escapes.
#include <gtest/gtest.h>

#include <QDate>
#include <QString>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "association/hourly_rate.h"
#include "batch_fixture.h"
#include "control/export_calculs.h"
#include "mvdb/storage.h"
#include "services/ui_services.h"
#include "support/database_setup.h"


namespace morvane::host {
namespace {

namespace fs = std::filesystem;
using morvane::testing::BreakStorageOf;
using morvane::testing::ChangeFileBehindTheEngine;

// Days of June 2025, the month every run asks for (the demo date is the 15th).
constexpr int kJune1 = 20972;
constexpr int kJune10 = 20981;
constexpr int kJune20 = 20991;

enum class Output { List, Planning, Export, LetterType, LetterMerge };
const Output kEveryOutput[] = {Output::List, Output::Planning, Output::Export, Output::LetterType,
                               Output::LetterMerge};

const char* NameOf(Output output) {
  switch (output) {
    case Output::List: return "list";
    case Output::Planning: return "planning";
    case Output::Export: return "export";
    case Output::LetterType: return "letter-type";
    case Output::LetterMerge: return "letter-merge";
  }
  return "";
}

/// What one run left: its status, standard error and the file it made.
struct Outcome {
  int status = -1;
  std::string errors;
  fs::path file;  ///< empty when the run made nothing
  std::string content;
};

/// The fields of one CSV line (no quoting: the export writes none).
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, ';')) fields.push_back(field);
  if (!line.empty() && line.back() == ';') fields.emplace_back();
  return fields;
}

/// The lines of an exported CSV file (byte-order mark and CR LF removed).
std::vector<std::string> CsvLines(std::string text) {
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

/// The first exported row whose field `column` (0-based) is `value`.
std::vector<std::string> RowWhere(const std::string& csv, std::size_t column, const std::string& value) {
  for (const std::string& line : CsvLines(csv)) {
    auto fields = Fields(line);
    if (fields.size() > column && fields[column] == value) return fields;
  }
  return {};
}

void Write(mvdb::Database& db, const std::string& file, const std::string& key,
           std::vector<std::pair<int, std::string>> attributes) {
  mvdb::DbFile opened = db.DBOpen(file);
  mvdb::DynArray record = opened.Exists(key) ? opened.DBRead(key) : opened.DBNew(key);
  for (const auto& [attribute, text] : attributes) record.SetItem(attribute, text);
  record.DBWrite();
}

/// A sick leave of carer 00001 on contract 00001001 ending in June, so that
/// every output, the letters included, reads it.
void SickLeaveInJune(mvdb::Database& db, const std::string& key, const std::string& observation) {
  Write(db, "ABSENCESAIDANT", key,
        {{1, "1"}, {2, std::to_string(kJune20)}, {3, "2"}, {17, "00001001"}, {29, observation}});
}

/// Runs the outputs of one damaged database; Suite gives the damage.
template <typename Suite>
class DamagedRun : public BatchFixture<Suite> {
 public:
  static int Carers() { return 20; }

 protected:
  /// Runs `output` over June 2025 (sick leave ending in June for the letters,
  /// every type otherwise) plus `extra` criteria; collects the file it made.
  Outcome Run(Output output, std::vector<std::string> extra = {}) {
    const fs::path pdf = this->Pdf(std::string("run-") + NameOf(output) + ".pdf");
    std::error_code ignored;
    fs::remove(pdf, ignored);
    fs::remove_all(this->OutDir(), ignored);
    fs::remove_all(StatDir(), ignored);
    fs::create_directories(StatDir(), ignored);

    std::vector<std::string> args = {"--from", "01/06/2025", "--to", "30/06/2025", "--output", NameOf(output),
                                     "--output-file", pdf.string()};
    if (output == Output::LetterType || output == Output::LetterMerge) {
      args.insert(args.end(), {"--sick-leave", "--count", "ending"});
    } else {
      args.insert(args.end(), {"--sick-leave", "--leave", "--other"});
    }
    // The default entity typed in: its types are offered and ticked, so the
    // export has its 30 columns.
    const bool entityGiven = std::find(extra.begin(), extra.end(), "--entity") != extra.end();
    if (output == Output::Export && !entityGiven) args.insert(args.end(), {"--entity", "010"});
    args.insert(args.end(), extra.begin(), extra.end());

    Outcome outcome;
    outcome.status = this->Report(args);
    outcome.errors = this->errors;
    if (output == Output::Export) {
      outcome.file = FileIn(StatDir(), ".csv");
    } else if (output == Output::LetterMerge) {
      outcome.file = FileIn(this->OutDir(), ".odt");
    } else if (fs::exists(pdf)) {
      outcome.file = pdf;
    }
    if (!outcome.file.empty()) outcome.content = Slurp(outcome.file);
    return outcome;
  }

  /// Runs every output and expects each to complete or to stop cleanly;
  /// returns the outcomes by output.
  std::map<Output, Outcome> RunEveryOutput(std::vector<std::string> extra = {}) {
    std::map<Output, Outcome> outcomes;
    for (Output output : kEveryOutput) {
      outcomes[output] = Run(output, extra);
      ExpectCompletedOrStopped(outcomes[output], output);
    }
    return outcomes;
  }

  static void ExpectCompletedOrStopped(const Outcome& outcome, Output output) {
    SCOPED_TRACE(NameOf(output));
    if (outcome.status == 0) {
      EXPECT_FALSE(outcome.file.empty()) << "status 0 without a file; stderr: " << outcome.errors;
      EXPECT_GT(outcome.content.size(), 100u);
      return;
    }
    EXPECT_TRUE(outcome.status == 1 || outcome.status == 4) << "status " << outcome.status << ": " << outcome.errors;
    EXPECT_GT(outcome.errors.size(), 20u) << "a stop without a message";
  }

  static fs::path StatDir() { return fs::path(BatchFixture<Suite>::Database().string() + ".d") / "STATAIDANT"; }

  /// The file of that extension in `folder` (each run starts from empty folders).
  static fs::path FileIn(const fs::path& folder, const std::string& extension) {
    fs::path found;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored)) {
      if (entry.path().extension() == extension) found = entry.path();
    }
    return found;
  }
};

// ---- non-numbers where day numbers, hours and rates are expected ----

class NonNumericFigures : public DamagedRun<NonNumericFigures> {
 public:
  static void Damage(mvdb::Database& db) {
    // End days that are no day number, a first day that is none, half-day codes
    // that are neither blank nor "1".
    Write(db, "ABSENCESAIDANT", "0000101" + std::to_string(kJune1),
          {{1, "z"}, {2, "abc"}, {3, "?"}, {17, "00001001"}, {29, "fin abc"}});
    Write(db, "ABSENCESAIDANT", "0000112abcde", {{2, std::to_string(kJune20)}, {17, "00001001"}, {29, "debut abcde"}});
    Write(db, "ABSENCESAIDANT", "0000201" + std::to_string(kJune10),
          {{1, ""}, {2, "2e9"}, {17, "00002001"}, {29, "fin 2e9"}});
    // An empty end: the period condition compares it as text, below every day.
    Write(db, "ABSENCESAIDANT", "0000301" + std::to_string(kJune10), {{2, ""}, {17, "00003001"}, {29, "fin vide"}});
    SickLeaveInJune(db, "0000101" + std::to_string(kJune10), "lettre 00001");
    // Working time, leave balances and a fixed rate that are no numbers.
    Write(db, "CONTRAT", "00001001",
          {{15, "0"}, {24, "abc"}, {25, "1"}, {23, "1x2"}, {39, "abc"}, {41, "?"}, {44, ""}, {48, "-"}, {110, "n/a"}});
    // A contract whose rate comes from "CALCCOEFFTXHOR", on a grid of non-numeric rates.
    Write(db, "CONTRAT", "00002001", {{15, "abc"}, {24, "3500"}, {25, "9"}, {23, ""}, {20, "A1"}});
    mvdb::DbFile grids = db.DBOpen("GRILLESCC");
    for (const char* grid : {"A1", "A2", "B1", "B2", "C1", "C2", "D1"}) {
      if (grids.Exists(grid)) Write(db, "GRILLESCC", grid, {{10, "abc"}, {11, "yyyymm"}});
    }
  }
};

TEST_F(NonNumericFigures, EveryOutputCompletesAndTheExportLeavesTheFiguresEmpty) {
  auto outcomes = RunEveryOutput();
  for (Output output : kEveryOutput) {
    EXPECT_EQ(outcomes[output].status, 0) << NameOf(output) << ": " << outcomes[output].errors;
  }
  const Outcome& csv = outcomes[Output::Export];
  ASSERT_EQ(csv.status, 0) << csv.errors;
  // An end that is no day number: no day counts, the hours of a non-numeric
  // working time count as 0 and a rate that is no number is left empty.
  const auto noEnd = RowWhere(csv.content, 15, "fin abc");
  ASSERT_EQ(noEnd.size(), 30u) << csv.content.substr(0, 2000);
  EXPECT_EQ(noEnd[0], "00001");
  EXPECT_EQ(noEnd[19], "");   // days of absence
  EXPECT_EQ(noEnd[20], "");   // days inside the period
  EXPECT_EQ(noEnd[21], "0");  // monthly hours
  EXPECT_EQ(noEnd[29], "");   // hourly rate
  // A grid without a numeric rate: the routine falls back on the legal minimum.
  const auto computed = RowWhere(csv.content, 15, "fin 2e9");
  ASSERT_EQ(computed.size(), 30u);
  EXPECT_EQ(computed[21], "0");  // an unknown unit counts no hours
  const QDate today = services::TodayFromEnvironment();  // the day the program computed the rate for
  const int minimum = morvane::association::LegalMinimumHourlyRate(today.year() * 100 + today.month());
  EXPECT_EQ(computed[29], control::MonnaieFrancaise(control::Monnaie{minimum} * 10));
}

// ---- absence keys shorter than carer + reason + first day ----

class ShortKeys : public DamagedRun<ShortKeys> {
 public:
  static void Damage(mvdb::Database& db) {
    for (const std::string key : {"0", "00001", "0000101", "000010120", "00001012098", "00001 01 2098"}) {
      Write(db, "ABSENCESAIDANT", key, {{2, std::to_string(kJune20)}, {17, "00001001"}, {29, "court " + key}});
    }
    SickLeaveInJune(db, "0000101" + std::to_string(kJune10), "lettre 00001");
  }
};

TEST_F(ShortKeys, TheListStopsAtTheMissingCarerAndTheOtherOutputsComplete) {
  auto outcomes = RunEveryOutput();
  // Key "0" names no carer: the list stops there, naming the record; the
  // letters pass over it, the planning and the export leave its columns empty.
  EXPECT_EQ(outcomes[Output::List].status, 4);
  EXPECT_NE(outcomes[Output::List].errors.find("record \"0\" not found in file CIVILAIDANT"), std::string::npos)
      << outcomes[Output::List].errors;
  for (Output output : {Output::Planning, Output::Export, Output::LetterType, Output::LetterMerge}) {
    EXPECT_EQ(outcomes[output].status, 0) << NameOf(output) << ": " << outcomes[output].errors;
  }
  const Outcome& csv = outcomes[Output::Export];
  const auto row = RowWhere(csv.content, 15, "court 000010120");
  ASSERT_EQ(row.size(), 30u) << csv.content.substr(0, 2000);
  EXPECT_EQ(row[0], "00001");
  EXPECT_EQ(row[13], "01");
}

// ---- code tables and records that are not there ----

class MissingCodeTables : public DamagedRun<MissingCodeTables> {
 public:
  static void Damage(mvdb::Database& db) {
    mvdb::DbFile tables = db.DBOpen("TABLES");
    for (const char* table : {"TITRES", "NATUREVOIE"}) tables.DBDelete(table);
    // The reason table keeps its codes and loses its labels.
    Write(db, "TABLES", "ABSENCES", {{3, ""}});
    // Every district label gone, and one carer's sector names no sector.
    std::vector<std::string> districts;
    db.storage().Scan("QUARTIER", [&](const std::string& key, const std::string&) {
      districts.push_back(key);
      return true;
    });
    mvdb::DbFile quartiers = db.DBOpen("QUARTIER");
    for (const std::string& key : districts) quartiers.DBDelete(key);
    Write(db, "CIVILAIDANT", "00001", {{31, "777"}});
    SickLeaveInJune(db, "0000101" + std::to_string(kJune10), "lettre 00001");
  }
};

TEST_F(MissingCodeTables, TheListStopsAtTheMissingSectorAndTheOtherOutputsGoOnWithEmptyLabels) {
  auto outcomes = RunEveryOutput();
  // The list's group header reads the carer's sector: a sector that does not
  // exist stops the list, naming it; the letters skip the missing tables.
  EXPECT_EQ(outcomes[Output::List].status, 4);
  EXPECT_NE(outcomes[Output::List].errors.find("record \"777\" not found in file SECTEUR"), std::string::npos)
      << outcomes[Output::List].errors;
  for (Output output : {Output::Planning, Output::Export, Output::LetterType, Output::LetterMerge}) {
    EXPECT_EQ(outcomes[output].status, 0) << NameOf(output) << ": " << outcomes[output].errors;
  }
  const Outcome& csv = outcomes[Output::Export];
  const auto row = RowWhere(csv.content, 15, "lettre 00001");
  ASSERT_EQ(row.size(), 30u);
  EXPECT_EQ(row[13], "01");
  EXPECT_EQ(row[14], "");  // a reason without a label
  EXPECT_EQ(row[16], "");  // sector 777 does not exist
  EXPECT_EQ(row[18], "");  // no district record
}

class MissingReasonTable : public DamagedRun<MissingReasonTable> {
 public:
  static void Damage(mvdb::Database& db) { db.DBOpen("TABLES").DBDelete("ABSENCES"); }
};

TEST_F(MissingReasonTable, EveryOutputIsRefusedAtTheFirstAbsenceType) {
  for (Output output : kEveryOutput) {
    SCOPED_TRACE(NameOf(output));
    const Outcome outcome = Run(output);
    EXPECT_EQ(outcome.status, 1) << outcome.errors;
    EXPECT_NE(outcome.errors.find("(ABSENCES) est introuvable"), std::string::npos) << outcome.errors;
    EXPECT_TRUE(outcome.file.empty());
  }
}

class MissingCounter : public DamagedRun<MissingCounter> {
 public:
  static void Damage(mvdb::Database& db) { db.DBOpen("COMPTEUR").DBDelete("999"); }
};

TEST_F(MissingCounter, EveryOutputStopsWithStatusFourNamingTheRecord) {
  for (Output output : kEveryOutput) {
    SCOPED_TRACE(NameOf(output));
    const Outcome outcome = Run(output);
    EXPECT_EQ(outcome.status, 4) << outcome.errors;
    EXPECT_NE(outcome.errors.find("999"), std::string::npos) << outcome.errors;
    EXPECT_NE(outcome.errors.find("COMPTEUR"), std::string::npos) << outcome.errors;
    EXPECT_TRUE(outcome.file.empty());
  }
}

class BrokenSubSectorFile : public DamagedRun<BrokenSubSectorFile> {
 public:
  static void Damage(mvdb::Database& db) { BreakStorageOf(db, "SOUSSECTEUR"); }
};

TEST_F(BrokenSubSectorFile, TheExportStopsWithStatusFourAndTheOtherOutputsComplete) {
  const Outcome csv = Run(Output::Export);
  EXPECT_EQ(csv.status, 4) << csv.errors;
  EXPECT_NE(csv.errors.find("SOUSSECTEUR"), std::string::npos) << csv.errors;
  EXPECT_TRUE(csv.file.empty()) << "an export that failed left " << csv.file;
  for (Output output : {Output::List, Output::Planning}) {
    const Outcome outcome = Run(output);
    EXPECT_EQ(outcome.status, 0) << NameOf(output) << ": " << outcome.errors;
  }
}

class FileNeverCreated : public DamagedRun<FileNeverCreated> {
 public:
  // Gone from the catalogue with its table: as if it had never been created.
  static void Damage(mvdb::Database& db) {
    ChangeFileBehindTheEngine(db, "DROP TABLE mvf_{id of FILE}; DELETE FROM mv_files WHERE name = 'ETABLISSEMENT'",
                              "ETABLISSEMENT");
  }
};

TEST_F(FileNeverCreated, EveryOutputStopsWithStatusFourNamingTheFile) {
  for (Output output : kEveryOutput) {
    SCOPED_TRACE(NameOf(output));
    const Outcome outcome = Run(output);
    EXPECT_EQ(outcome.status, 4) << outcome.errors;
    EXPECT_NE(outcome.errors.find("ETABLISSEMENT"), std::string::npos) << outcome.errors;
    EXPECT_TRUE(outcome.file.empty());
  }
}

// ---- value and sub-value marks inside free text ----

class MarksInFreeText : public DamagedRun<MarksInFreeText> {
 public:
  static void Damage(mvdb::Database& db) {
    Write(db, "CIVILAIDANT", "00001", {{2, "DU\xFDPONT"}, {3, "Ana\xFCÏs"}, {8, "rue\xFD\xFC" "des marques"}});
    SickLeaveInJune(db, "0000101" + std::to_string(kJune10), "avant\xFDmilieu\xFC" "apres");
  }
};

TEST_F(MarksInFreeText, OutputsCompleteAndTheExportKeepsItsColumns) {
  auto outcomes = RunEveryOutput();
  for (Output output : kEveryOutput) {
    EXPECT_EQ(outcomes[output].status, 0) << NameOf(output) << ": " << outcomes[output].errors;
  }
  const Outcome& csv = outcomes[Output::Export];
  ASSERT_EQ(csv.status, 0) << csv.errors;
  const auto lines = CsvLines(csv.content);
  // No mark became a separator: 30 fields, 29 for a row without a contract.
  for (const std::string& line : lines) {
    const std::size_t fields = Fields(line).size();
    EXPECT_TRUE(fields == 30u || fields == 29u) << line;
  }
  std::vector<std::string> row;
  for (const std::string& line : lines) {
    if (line.find("avant") != std::string::npos) row = Fields(line);
  }
  ASSERT_EQ(row.size(), 30u) << "the absence with marks is not exported";
  EXPECT_EQ(row[0], "00001");
  EXPECT_NE(row[15].find("milieu"), std::string::npos);
  EXPECT_NE(row[15].find("apres"), std::string::npos);
}

// ---- volume: 100,000 sectors, 40,000 entities, a 1 MB observation ----

class ManySectorsAndEntities : public DamagedRun<ManySectorsAndEntities> {
 public:
  static constexpr int kSectors = 100000;
  static constexpr int kEntities = 40000;
  /// Entity codes are three characters: the added ones count in base 36.
  static std::string EntityCode(int n) {
    return QString::number(n, 36).rightJustified(3, QLatin1Char('0')).toUpper().toStdString();
  }
  static inline std::string lastEntity;

  static void Damage(mvdb::Database& db) {
    db.Transaction([&] {
      // Sectors 009 to 999 and then longer codes, after the demo's 001 to 008.
      mvdb::DbFile sectors = db.DBOpen("SECTEUR");
      for (int i = 9; i < 9 + kSectors; ++i) {
        const std::string key = QString::number(i).rightJustified(3, QLatin1Char('0')).toStdString();
        mvdb::DynArray sector = sectors.DBNew(key);
        sector.SetItem(1, "SECTEUR " + key);
        sector.DBWrite();
      }
      mvdb::DbFile associations = db.DBOpen("ASSOCIATION");
      mvdb::DbFile activities = db.DBOpen("ACTIVITES");
      for (int n = 0, added = 0; added < kEntities; ++n) {
        const std::string key = EntityCode(n);
        if (associations.Exists(key)) continue;  // the demo's own entities stay as they are
        mvdb::DynArray association = associations.DBNew(key);
        association.SetItem(1, "ENTITE " + key);
        association.DBWrite();
        mvdb::DynArray activity = activities.DBNew(key + "01");
        activity.SetItem(12, "P");
        activity.DBWrite();
        lastEntity = key;
        ++added;
      }
    });
    Write(db, "CIVILAIDANT", "00001", {{31, "999"}});
    SickLeaveInJune(db, "0000101" + std::to_string(kJune10), "lettre 00001");
  }
};

TEST_F(ManySectorsAndEntities, TheListBySectorAndTheExportComplete) {
  const auto start = std::chrono::steady_clock::now();
  const Outcome list = Run(Output::List, {"--sector"});
  EXPECT_EQ(list.status, 0) << list.errors;
  EXPECT_GT(list.content.size(), 1000u);
  const Outcome csv = Run(Output::Export, {"--sector"});
  ASSERT_EQ(csv.status, 0) << csv.errors;
  EXPECT_EQ(RowWhere(csv.content, 15, "lettre 00001").size(), 30u);
  // A sector among the added ones, typed as a user would, and the last entity.
  const Outcome oneSector = Run(Output::List, {"--sector", "999"});
  EXPECT_EQ(oneSector.status, 0) << oneSector.errors;
  const Outcome lastOne = Run(Output::Export, {"--entity", lastEntity});
  ExpectCompletedOrStopped(lastOne, Output::Export);
  const auto seconds =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  std::cout << "[ info ] four runs with " << kSectors << " sectors and " << kEntities << " entities: " << seconds
            << " ms\n";
}

class MegabyteObservation : public DamagedRun<MegabyteObservation> {
 public:
  static std::string Observation() {
    std::string text;
    while (text.size() < (1u << 20)) text += "Observation très longue\r\nsur plusieurs lignes. ";
    return text;
  }
  static void Damage(mvdb::Database& db) {
    SickLeaveInJune(db, "0000101" + std::to_string(kJune10), "MEGA " + Observation());
  }
};

TEST_F(MegabyteObservation, EveryOutputCompletesAndTheExportCarriesItWhole) {
  auto outcomes = RunEveryOutput();
  for (Output output : kEveryOutput) {
    EXPECT_EQ(outcomes[output].status, 0) << NameOf(output) << ": " << outcomes[output].errors;
  }
  const Outcome& csv = outcomes[Output::Export];
  ASSERT_EQ(csv.status, 0) << csv.errors;
  std::vector<std::string> row;
  for (const std::string& line : CsvLines(csv.content)) {
    if (line.find(";MEGA ") != std::string::npos) row = Fields(line);
  }
  ASSERT_EQ(row.size(), 30u);
  EXPECT_GT(row[15].size(), 1u << 20);              // line breaks become " | "
  EXPECT_EQ(row[15].find('\n'), std::string::npos);
}

// ---- query syntax typed into the criteria ----

class QuotesInCriteria : public DamagedRun<QuotesInCriteria> {};

TEST_F(QuotesInCriteria, AreRefusedWithAMessageAndMakeNothing) {
  struct Case {
    std::vector<std::string> criterion;
    int status;
    const char* message;
  };
  const std::vector<Case> cases = {
      // A quote the field takes: the form refuses it at once.
      {{"--sector", "0\"1"}, 1, "guillemet"},
      {{"--sector", "0]"}, 1, "crochet"},  // "00]" would select every sector beginning with 00
      {{"--commune", "42\"00"}, 1, "guillemet"},
      {{"--entity", "0\"1"}, 1, "Cette entité juridique n'existe pas."},
      // Longer than the field: refused before a key is typed, rather than cut
      // to a shorter code the caller did not give.
      {{"--sector", "001\" OU CodeSecteur # \""}, 2, "--sector takes at most 3 characters"},
      {{"--commune", "42000\" OU 1 # \""}, 2, "--commune takes at most 5 characters"},
      {{"--entity", "010\" OU 0 # \""}, 2, "--entity takes at most 3 characters"},
      {{"--sector", "0011"}, 2, "--sector takes at most 3 characters"},
      {{"--reason", "01\" OU 1 # \""}, 2, "--reason"},
  };
  for (Output output : {Output::List, Output::Export}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(NameOf(output)) + " " + c.criterion[0] + " " + c.criterion[1]);
      const Outcome outcome = Run(output, c.criterion);
      EXPECT_EQ(outcome.status, c.status) << outcome.errors;
      EXPECT_NE(outcome.errors.find(c.message), std::string::npos) << outcome.errors;
      EXPECT_TRUE(outcome.file.empty()) << outcome.file;
    }
  }
  // The same criteria without the quote select as usual.
  EXPECT_EQ(Run(Output::List, {"--sector", "001"}).status, 0);
  EXPECT_EQ(Run(Output::Export, {"--entity", "010"}).status, 0);
}

}  // namespace
}  // namespace morvane::host
