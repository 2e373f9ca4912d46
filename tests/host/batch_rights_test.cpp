// The user's rights seen from outside: whole `morvane report` runs on a demo
// database where every sector has absent carers, every file written read back
// as text, on both storages (on the server, each demo user is a login that
// signs in with its password). A sector manager sees the carers of their own
// sectors only, in the list whatever its grouping, the planning, the export
// and the letters; a user without the print level gets no output of any kind.

#include "support/pdf_text.h"
#include "batch_fixture.h"

namespace morvane::host {
namespace {

namespace fs = std::filesystem;

// The sectors the demo user "secteur" may see.
const std::set<std::string> kManagerSectors = {"001", "003"};

struct DemoCarer {
  std::string code;
  std::string sector;
  QString name;  // "SURNAME Firstname", as the list and the planning print it
  QString town;
  QString street;
};

// The carers of the demo database, "00001" upwards until a code is missing.
std::vector<DemoCarer> ReadCarers(const fs::path& database) {
  auto db = mvdb::Database::Open(database);
  const mvdb::DbFile file = db->DBOpen("CIVILAIDANT");
  std::vector<DemoCarer> carers;
  for (int n = 1;; ++n) {
    const std::string code = QStringLiteral("%1").arg(n, 5, 10, QLatin1Char('0')).toStdString();
    const std::optional<mvdb::DynArray> record = file.Find(code);
    if (!record) break;
    const auto text = [&](int attribute) { return QString::fromStdString(record->Item(attribute)); };
    carers.push_back({code, record->Item(31), text(2) + QLatin1Char(' ') + text(3), text(11), text(8)});
  }
  return carers;
}

// What names another sector than the manager's: the label and the heading
// "Secteur <code>" of every other sector, and the towns and streets where
// only carers of other sectors live (not the employers' own, which head the
// letters).
std::vector<QString> OtherSectorsWords(const fs::path& database, const std::vector<DemoCarer>& carers) {
  auto db = mvdb::Database::Open(database);
  const mvdb::DbFile sectors = db->DBOpen("SECTEUR");
  std::vector<QString> words;
  for (int n = 1; n <= 8; ++n) {
    const std::string code = QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0')).toStdString();
    if (kManagerSectors.contains(code)) continue;
    words.push_back(QString::fromStdString(sectors.DBRead(code).Item(1)));
    words.push_back(QStringLiteral("Secteur ") + QString::fromStdString(code));
  }
  std::set<QString> own, other;
  db->storage().Scan("ASSOCIATION", [&](const std::string&, const std::string& text) {
    const mvdb::DynArray entity(text);
    own.insert(QString::fromStdString(entity.Item(6)));
    own.insert(QString::fromStdString(entity.Item(9)));
    return true;
  });
  for (const DemoCarer& c : carers) {
    for (const QString& place : {c.town, c.street}) (kManagerSectors.contains(c.sector) ? own : other).insert(place);
  }
  for (const QString& place : other) {
    if (!own.contains(place)) words.push_back(place);
  }
  return words;
}

// The text of a PDF with every run of blanks made one space; nullopt when
// pdftotext is not installed.
std::optional<QString> PdfWords(const fs::path& pdf) {
  std::optional<QString> text = testing::PdfText(pdf);
  static const QRegularExpression blanks(QStringLiteral("\\s+"));
  if (text) text->replace(blanks, QStringLiteral(" "));
  return text;
}

// Whether `name` stands in `text` as whole words, not inside a longer name,
// in any case (the letters print names in capitals).
bool Shows(const QString& text, const QString& name) {
  const QRegularExpression whole(QStringLiteral("(?<![\\w-])") + QRegularExpression::escape(name) +
                                 QStringLiteral("(?![\\w-])"),
                                 QRegularExpression::UseUnicodePropertiesOption |
                                     QRegularExpression::CaseInsensitiveOption);
  return whole.match(text).hasMatch();
}

class BatchRights : public BothStoragesBatchFixture<BatchRights> {
 public:
  static constexpr bool kPdfText = true;
  // On the server, a login for each demo user.
  static void OnServer(mvdb::Database& copy) {
    for (const char* user : {"admin", "secteur", "lecteur"}) {
      const std::string login = std::string(user) + "_" + schema_, password = "pw-" + login;
      testing::AddLogin(copy, login, password, false, dir_ / "pgpass", password);
      testing::CopyRights(copy, user, login);
    }
  }

 protected:
  // Runs the report as the demo user `user`: named on the command line of
  // the embedded database, signed in as its login on the server.
  int ReportAs(const std::string& user, std::vector<std::string> args) {
    if (!OnTheServer()) {
      args.insert(args.begin(), {"--user", user});
      return Report(args);
    }
    return ReportOn(testing::SignedInAs(server_, user + "_" + schema_), OutDir(), args);
  }

  // The carers whose printed name no other carer's name could be taken for.
  static std::vector<DemoCarer> DistinctCarers() {
    const std::vector<DemoCarer> all = ReadCarers(Database());
    std::vector<DemoCarer> distinct;
    for (const DemoCarer& carer : all) {
      bool unique = true;
      for (const DemoCarer& other : all) {
        if (other.code != carer.code && Shows(other.name, carer.name)) unique = false;
      }
      if (unique) distinct.push_back(carer);
    }
    return distinct;
  }

  struct Seen {
    std::vector<DemoCarer> own;     // carers of the manager's sectors
    std::vector<DemoCarer> others;  // carers of every other sector
    QString text;
  };

  // Runs the report as `user` (a PDF printer writing a file of that name)
  // and sorts the carers shown by the files it wrote by sector: PDFs read
  // back as text, the CSV with its fields apart. Fails the test when the run
  // does not end with status 0.
  Seen Run(const std::string& user, const std::string& file, std::vector<std::string> args) {
    args.insert(args.end(), {"--output-file", Pdf(file).string()});
    const int status = ReportAs(user, args);
    EXPECT_EQ(status, 0) << user << ": " << errors;
    Seen seen;
    std::istringstream written(output);
    for (std::string path; std::getline(written, path);) {
      if (path.ends_with(".pdf")) seen.text += PdfWords(path).value_or(QString());
      if (path.ends_with(".csv")) seen.text += QString::fromStdString(Slurp(path)).replace(QLatin1Char(';'), QLatin1Char(' '));
    }
    EXPECT_FALSE(seen.text.isEmpty()) << user << ": no file read back from " << output;
    for (const DemoCarer& carer : DistinctCarers()) {
      if (!Shows(seen.text, carer.name)) continue;
      (kManagerSectors.contains(carer.sector) ? seen.own : seen.others).push_back(carer);
    }
    return seen;
  }

  static std::vector<std::string> Codes(const std::vector<DemoCarer>& carers) {
    std::vector<std::string> codes;
    for (const DemoCarer& c : carers) codes.push_back(c.code + " " + c.name.toStdString());
    return codes;
  }
};

// For every grouping of the list, for the planning, the export and both kinds
// of letters, the manager's output shows exactly the administrator's carers
// of sectors 001 and 003: nobody of another sector, and nobody of their own
// sectors missing.
TEST_P(BatchRights, SectorManagerSeesOnlyTheirSectorsCarersInEveryOutput) {
  const std::pair<std::string, std::string> cases[] = {
      {"list-all", "--all --output list"},
      {"list-sector", "--sector --output list"},
      {"list-commune", "--commune= --output list"},
      {"planning-sector", "--sector --from 05/05/2025 --to 27/07/2025 --output planning"},
      {"planning-commune", "--commune= --from 05/05/2025 --to 27/07/2025 --output planning"},
      {"export", "--all --output export"},
      {"letter-type", "--output letter-type"},
      {"letter-merge", "--output letter-merge"},
  };
  const std::vector<QString> otherSectorsWords = OtherSectorsWords(Database(), ReadCarers(Database()));
  for (const auto& [name, line] : cases) {
    SCOPED_TRACE(name);
    const bool letter = name.starts_with("letter");
    const std::string year = line.find("--from") == std::string::npos ? " --from 01/01/2025 --to 31/12/2025" : "";
    const std::vector<std::string> args =
        Words((letter ? "--sick-leave --count ending --all " : "--sick-leave --leave --other --to-validate ") + line + year);

    const Seen admin = Run("admin", "admin-" + name + ".pdf", args);
    ASSERT_FALSE(admin.own.empty()) << "the period must have absences in sectors 001 and 003";
    ASSERT_FALSE(admin.others.empty()) << "the administrator sees every sector";

    const Seen manager = Run("secteur", "secteur-" + name + ".pdf", args);
    EXPECT_EQ(Codes(manager.others), std::vector<std::string>{});
    EXPECT_EQ(Codes(manager.own), Codes(admin.own));
    // Nor a heading, a sector label or a town of theirs.
    for (const QString& word : otherSectorsWords) EXPECT_FALSE(Shows(manager.text, word)) << word.toStdString();
  }
}

// "lecteur" may look but not print: every output kind ends with status 3
// before anything is written, in the output folder or the database's folders.
TEST_P(BatchRights, AUserWithoutThePrintLevelGetsNoOutputOfAnyKind) {
  std::set<std::string> before = FilesUnder(dir_);
  const std::set<std::string> outBefore = FilesUnder(OutDir());
  for (const char* output : {"list", "planning", "export", "letter-type", "letter-merge"}) {
    SCOPED_TRACE(output);
    const fs::path file = Pdf(std::string("lecteur-") + output + ".pdf");
    // The criteria the letters need: sick leave alone, counted by their end.
    const std::string args = std::string("--sick-leave --from 02/06/2025 --to 29/06/2025 --count ending --output ") + output;
    EXPECT_EQ(ReportAs("lecteur", Words(args)), 3);  // without --output-file the printers write into the output folder
    EXPECT_EQ(ReportAs("lecteur", Words(args + " --output-file", {file})), 3);
    EXPECT_NE(errors.find("may not print"), std::string::npos) << errors;
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(FilesUnder(OutDir()), outBefore);
  }
  EXPECT_EQ(Report({"--user", "inconnu", "--sick-leave"}), 3);  // nor does a user without rights
  std::set<std::string> after = FilesUnder(dir_);
  after.erase("out");  // the batch makes the output folder before it signs the user in
  before.erase("out");
  EXPECT_EQ(after, before);
}

INSTANTIATE_ON_BOTH_STORAGES(BatchRights);

}  // namespace
}  // namespace morvane::host
