// Whole `morvane report` runs on copies of the demo database damaged in one
// way each: every output either completes, with the fallback it documents, or
// stops with a clear message and its status; none crashes.

#include "batch_fixture.h"
#include "support/database_setup.h"

namespace morvane::host {
namespace {

namespace fs = std::filesystem;

const std::string kJune1 = "20972", kJune10 = "20981", kJune20 = "20991";  // June 2025
const char* const kOutputs[] = {"list", "planning", "export", "letter-type", "letter-merge"};

/// The CSV's rows as fields (byte-order mark and CR LF removed; the damaged
/// data hold no quoted field).
std::vector<std::vector<std::string>> Rows(std::string text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
  std::vector<std::vector<std::string>> rows;
  for (std::size_t start = 0, end; start < text.size(); start = end + 2) {
    end = std::min(text.find("\r\n", start), text.size());
    std::istringstream in(text.substr(start, end - start) + ";");
    rows.emplace_back();
    for (std::string field; std::getline(in, field, ';');) rows.back().push_back(field);
  }
  return rows;
}

/// The row whose observation (field 16) begins with `prefix`; empty when none.
std::vector<std::string> RowObserved(const std::string& csv, const std::string& prefix) {
  for (const auto& row : Rows(csv)) {
    if (row.size() > 15 && row[15].rfind(prefix, 0) == 0) return row;
  }
  return {};
}

void Write(mvdb::Database& db, const std::string& file, const std::string& key,
           std::vector<std::pair<int, std::string>> attributes) {
  mvdb::DbFile opened = db.DBOpen(file);
  mvdb::DynArray record = opened.Find(key).value_or(opened.DBNew(key));
  for (const auto& [attribute, text] : attributes) record.SetItem(attribute, text);
  record.DBWrite();
}

/// A sick leave of carer 00001 on contract 00001001 ending in June, so that
/// every output, the letters included, reads it.
void SickLeaveInJune(mvdb::Database& db, const std::string& observation) {
  Write(db, "ABSENCESAIDANT", "0000101" + kJune10, {{1, "1"}, {2, kJune20}, {3, "2"}, {17, "00001001"}, {29, observation}});
}

std::string Megabyte() {
  std::string text = "MEGA ";
  while (text.size() < (1u << 20)) text += "Observation très longue\r\nsur plusieurs lignes. ";
  return text;
}

/// One damage: what it does to the database, the status of each output (in
/// kOutputs' order), a text each stopped run names, and a check of the CSV.
struct DamageCase {
  const char* name;
  std::function<void(mvdb::Database&)> apply;
  std::vector<int> statuses;
  const char* named;
  std::function<void(const std::string& csv)> check;
};

void PrintTo(const DamageCase& damage, std::ostream* out) { *out << damage.name; }

const DamageCase kDamages[] = {
    {"NonNumericFigures",
     [](mvdb::Database& db) {
       // Days, half-day codes, working time, balances and rates that are no numbers.
       Write(db, "ABSENCESAIDANT", "0000101" + kJune1, {{1, "z"}, {2, "abc"}, {3, "?"}, {17, "00001001"}, {29, "fin abc"}});
       Write(db, "ABSENCESAIDANT", "0000112abcde", {{2, kJune20}, {17, "00001001"}, {29, "debut abcde"}});
       Write(db, "ABSENCESAIDANT", "0000201" + kJune10, {{1, ""}, {2, "2e9"}, {17, "00002001"}, {29, "fin 2e9"}});
       Write(db, "ABSENCESAIDANT", "0000301" + kJune10, {{2, ""}, {17, "00003001"}, {29, "fin vide"}});
       SickLeaveInJune(db, "lettre 00001");
       Write(db, "CONTRAT", "00001001",
             {{15, "0"}, {24, "abc"}, {25, "1"}, {23, "1x2"}, {39, "abc"}, {41, "?"}, {44, ""}, {48, "-"}, {110, "n/a"}});
       // A rate from "CALCCOEFFTXHOR", on a grid of non-numeric rates.
       Write(db, "CONTRAT", "00002001", {{15, "abc"}, {24, "3500"}, {25, "9"}, {23, ""}, {20, "A1"}});
       for (const char* grid : {"A1", "A2", "B1", "B2", "C1", "C2", "D1"}) {
         if (db.DBOpen("GRILLESCC").Exists(grid)) Write(db, "GRILLESCC", grid, {{10, "abc"}, {11, "yyyymm"}});
       }
     },
     // Each figure's fallback: ExportChiffres, HourlyRateTest.
     {0, 0, 0, 0, 0}, "", nullptr},
    {"ShortKeys",
     [](mvdb::Database& db) {
       for (const std::string key : {"0", "00001", "0000101", "000010120", "00001012098", "00001 01 2098"}) {
         Write(db, "ABSENCESAIDANT", key, {{2, kJune20}, {17, "00001001"}, {29, "court " + key}});
       }
       SickLeaveInJune(db, "lettre 00001");
     },
     // Key "0" names no carer: the list stops there; the others leave its columns empty.
     // (The key parts of short keys: BadData.)
     {4, 0, 0, 0, 0}, "record \"0\" not found in file CIVILAIDANT", nullptr},
    {"MissingCodeTables",
     [](mvdb::Database& db) {
       for (const char* table : {"TITRES", "NATUREVOIE"}) db.DBOpen("TABLES").DBDelete(table);
       Write(db, "TABLES", "ABSENCES", {{3, ""}});  // codes kept, labels gone
       std::vector<std::string> districts;
       db.storage().Scan("QUARTIER", [&](const std::string& key, const std::string&) {
         districts.push_back(key);
         return true;
       });
       for (const std::string& key : districts) db.DBOpen("QUARTIER").DBDelete(key);
       Write(db, "CIVILAIDANT", "00001", {{31, "777"}});  // a sector that does not exist
       SickLeaveInJune(db, "lettre 00001");
     },
     // The list's group header reads the sector: it stops, naming it.
     {4, 0, 0, 0, 0}, "record \"777\" not found in file SECTEUR",
     [](const std::string& csv) {
       const auto row = RowObserved(csv, "lettre 00001");
       ASSERT_EQ(row.size(), 30u);
       EXPECT_EQ((std::vector<std::string>{row[13], row[14], row[16], row[18]}), (std::vector<std::string>{"01", "", "", ""}));
     }},
    {"MissingReasonTable", [](mvdb::Database& db) { db.DBOpen("TABLES").DBDelete("ABSENCES"); }, {1, 1, 1, 1, 1},
     "(ABSENCES) est introuvable", nullptr},
    {"MissingCounter", [](mvdb::Database& db) { db.DBOpen("COMPTEUR").DBDelete("999"); }, {4, 4, 4, 4, 4},
     "record \"999\" not found in file COMPTEUR", nullptr},
    {"BrokenSubSectorFile", [](mvdb::Database& db) { testing::BreakStorageOf(db, "SOUSSECTEUR"); }, {0, 0, 4, 0, 0},
     "SOUSSECTEUR", nullptr},
    {"FileNeverCreated",  // gone from the catalogue with its table
     [](mvdb::Database& db) {
       testing::ChangeFileBehindTheEngine(
           db, "DROP TABLE mvf_{id of FILE}; DELETE FROM mv_files WHERE name = 'ETABLISSEMENT'", "ETABLISSEMENT");
     },
     {4, 4, 4, 4, 4}, "ETABLISSEMENT", nullptr},
    {"MarksInFreeText",
     [](mvdb::Database& db) {
       Write(db, "CIVILAIDANT", "00001", {{2, "DU\xFDPONT"}, {3, "Ana\xFCÏs"}, {8, "rue\xFD\xFC" "des marques"}});
       SickLeaveInJune(db, "avant\xFDmilieu\xFC" "apres");
     },
     {0, 0, 0, 0, 0}, "",
     [](const std::string& csv) {
       for (const auto& row : Rows(csv)) EXPECT_TRUE(row.size() == 30u || row.size() == 29u) << row[0];  // no mark split a field
       const auto row = RowObserved(csv, "avant");
       ASSERT_EQ(row.size(), 30u);
       EXPECT_EQ(row[0], "00001");
       EXPECT_TRUE(row[15].find("milieu") != std::string::npos && row[15].find("apres") != std::string::npos) << row[15];
     }},
    {"MegabyteObservation", [](mvdb::Database& db) { SickLeaveInJune(db, Megabyte()); }, {0, 0, 0, 0, 0}, "",
     [](const std::string& csv) { EXPECT_GT(RowObserved(csv, "MEGA ").at(15).size(), 1u << 20); }},
};

class DamagedRun : public BatchFixture<DamagedRun>, public ::testing::WithParamInterface<DamageCase> {
 protected:
  /// The status of `output` over June 2025 (sick leave ending in June for the
  /// letters, every type otherwise) on `db`; `file` receives what it wrote.
  int Run(const fs::path& db, const std::string& output, std::string& file, std::vector<std::string> extra = {}) {
    const fs::path out = db.parent_path() / "out", stat = db.string() + ".d/STATAIDANT", pdf = out / "run.pdf";
    fs::remove_all(out);
    fs::create_directories(out);
    for (const auto& entry : fs::directory_iterator(stat)) fs::remove(entry.path());
    // For the export, the default entity typed in: both types offered and ticked, 30 columns.
    std::vector<std::string> args = Words(
        "--from 01/06/2025 --to 30/06/2025 --output " + output +
        (output.starts_with("letter") ? " --sick-leave --count ending" : " --sick-leave --leave --other") +
        (output == "export" && extra.empty() ? " --entity 010" : "") + " --output-file", {pdf});
    args.insert(args.end(), extra.begin(), extra.end());
    const int status = ReportOn(db, out, args);
    file.clear();
    for (const fs::path& folder : {out, stat}) {
      for (const auto& entry : fs::directory_iterator(folder)) file = Slurp(entry.path());
    }
    return status;
  }
};

TEST_P(DamagedRun, EveryOutputCompletesOrStopsClearly) {
  const DamageCase& damage = GetParam();
  const fs::path db = dir_ / damage.name / "demo.mvdb";
  fs::create_directories(db.parent_path());
  CopyDemo(Carers(), db);
  damage.apply(*mvdb::Database::Open(db));
  for (std::size_t o = 0; o < std::size(kOutputs); ++o) {
    SCOPED_TRACE(kOutputs[o]);
    std::string file;
    const int status = Run(db, kOutputs[o], file);
    EXPECT_EQ(status, damage.statuses[o]) << errors;
    if (status == 0) {
      EXPECT_GT(file.size(), 100u) << "status 0 without a file";
    } else {
      EXPECT_TRUE(file.empty()) << "a stopped run left a file";
      EXPECT_NE(errors.find(damage.named), std::string::npos) << errors;
    }
    if (std::string(kOutputs[o]) == "export" && damage.check && status == 0) damage.check(file);
  }
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedRun, ::testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.name); });

// Query syntax typed into the criteria is refused with a message, and a code
// longer than its field before a key is typed, rather than cut to a shorter
// code the caller did not give; nothing is made.
TEST_F(DamagedRun, QuotesInCriteriaAreRefusedAndMakeNothing) {
  const std::tuple<std::vector<std::string>, int, const char*> cases[] = {
      {{"--sector", "0\"1"}, 1, "guillemet"},
      {{"--sector", "0]"}, 1, "crochet"},  // "00]" would select every sector beginning with 00
      {{"--commune", "42\"00"}, 1, "guillemet"},
      {{"--entity", "0\"1"}, 1, "Cette entité juridique n'existe pas."},
      {{"--sector", "001\" OU CodeSecteur # \""}, 2, "--sector takes at most 3 characters"},
      {{"--commune", "42000\" OU 1 # \""}, 2, "--commune takes at most 5 characters"},
      {{"--entity", "010\" OU 0 # \""}, 2, "--entity takes at most 3 characters"},
      {{"--reason", "01\" OU 1 # \""}, 2, "--reason"},
      {{"--sector", "001"}, 0, ""},  // the same without the quote selects as usual
  };
  std::string file;
  for (const char* output : {"list", "export"}) {
    for (const auto& [criterion, status, message] : cases) {
      SCOPED_TRACE(std::string(output) + " " + criterion[0] + " " + criterion[1]);
      EXPECT_EQ(Run(Database(), output, file, criterion), status) << errors;
      EXPECT_NE(errors.find(message), std::string::npos) << errors;
      EXPECT_EQ(file.empty(), status != 0);
    }
  }
}

}  // namespace
}  // namespace morvane::host
