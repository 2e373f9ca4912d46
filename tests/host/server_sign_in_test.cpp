// Who may do what on a server database, tried from outside: a refused
// sign-in ends with its status and one line and writes nothing; the server
// refuses every write of a report user (an import, SQL by hand, a forged or
// erased audit trail); mvdb user keeps logins and DROITS records in step;
// every output is recorded with the login the server signed in; the
// window's sign-in dialog asks three times at most.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>

#include "batch_fixture.h"
#include "host/sign_in_dialog.h"
#include "mvdb/jsonl.h"
#include "process.h"

namespace morvane::host {
namespace {

namespace fs = std::filesystem;

// Runs `sql` through psql on `address`: its exit status and standard error.
std::pair<int, QByteArray> Psql(const std::string& sql, const std::string& address) {
  QProcess psql;
  psql.start(QStringLiteral("psql"), {QStringLiteral("-X"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                                      QStringLiteral("-c"), QString::fromStdString(sql), QString::fromStdString(address)});
  if (!psql.waitForFinished(30000)) return {-1, "psql did not finish"};
  return {psql.exitCode(), psql.readAllStandardError()};
}

class ServerSignIn : public ServerBatchFixture<ServerSignIn> {
 public:
  static void OnServer(mvdb::Database& copy) {
    const fs::path passwords = dir_ / "pgpass";
    // A reader with its password on file; a login whose file holds a wrong
    // password; one without a DROITS record; one with no password on file.
    testing::AddLogin(copy, Login("secteur"), "pw-secteur", false, passwords, "pw-secteur");
    testing::CopyRights(copy, "secteur", Login("secteur"));
    testing::AddLogin(copy, Login("mauvais"), "right", false, passwords, "wrong");
    testing::CopyRights(copy, "secteur", Login("mauvais"));
    testing::AddLogin(copy, Login("sansdroits"), "pw-sansdroits", false, passwords, "pw-sansdroits");
    copy.Transaction([&] { copy.storage().Accounts()->AddLogin(Login("dialogue"), "pw-dialogue", false); });
    testing::CopyRights(copy, "secteur", Login("dialogue"));
  }

 protected:
  /// The suite's own login for a demo user's name (roles are the cluster's).
  static std::string Login(const std::string& name) { return name + "_" + schema_; }
  static std::string As(const std::string& name) { return testing::SignedInAs(server_, Login(name)); }
  /// The whole server database as JSON Lines, read by the cluster's owner.
  static std::string Backup() {
    std::ostringstream out;
    auto db = mvdb::Database::Open(server_, mvdb::OpenMode::kReadOnly);
    mvdb::jsonl::Export(*db, {}, out);
    return out.str();
  }
};

// A wrong password, an unknown login, a login without DROITS and --user on a
// server: each its status and one line, for a printed output and the export,
// and not a file written.
TEST_F(ServerSignIn, RefusedSignInsEndWithTheirStatusAndOneLineAndWriteNothing) {
  // The login, extra options, the status and what the one line says.
  const std::tuple<std::string, std::string, int, std::string> cases[] = {
      {"mauvais", "", 5, "password authentication failed for user \"" + Login("mauvais") + "\""},
      {"inconnu", "", 5, "the server asks for the password of " + Login("inconnu")},
      {"sansdroits", "", 3, "user " + Login("sansdroits") + " is not in DROITS"},
      {"secteur", " --user admin", 2, "--user admin is refused on a server database"},
  };
  const std::set<std::string> before = FilesUnder(dir_);
  for (const auto& [login, extra, status, line] : cases) {
    for (const std::string kind : {"list", "export"}) {
      SCOPED_TRACE(login + extra + ", " + kind);
      const std::string args = "--sick-leave --all --from 01/01/2025 --to 31/12/2025 --output " + kind + extra;
      EXPECT_EQ(ReportOn(As(login), OutDir(), Words(args + " --output-file", {Pdf("refused.pdf")})), status);
      const auto lines = LinesStarting(errors, "morvane report: ");
      ASSERT_EQ(lines.size(), 1u) << errors;
      EXPECT_NE(lines[0].find(line), std::string::npos) << lines[0];
      EXPECT_EQ(output, std::string()) << "nothing announced";
      std::set<std::string> after = FilesUnder(dir_);
      after.erase("out");  // the output folder is made before the sign-in
      EXPECT_EQ(after, before);
    }
  }
}

// A report user writes nothing the server holds: the import and SQL by hand
// are refused, the audit trail can be neither read, forged nor erased.
TEST_F(ServerSignIn, TheServerRefusesEveryWriteOfAReportUser) {
  const std::string backup = Backup();
  const fs::path records = dir_ / "records.jsonl";
  std::ofstream(records) << R"({"file":"SECTEUR","key":"001","record":["Pris"]})" << "\n";
  Process import({kTool.string(), "import", As("secteur"), records.string()}, dir_ / "import.log");
  EXPECT_EQ(import.Wait(), 1);
  EXPECT_NE(Slurp(dir_ / "import.log").find("is read-only (the server's user may not write schema"), std::string::npos)
      << Slurp(dir_ / "import.log");
  EXPECT_EQ(Backup(), backup);

  auto db = mvdb::Database::Open(As("secteur"), mvdb::OpenMode::kReadOnly);
  EXPECT_THROW(db->storage().Accounts()->AuditTrail(""), mvdb::DbError);

  if (QStandardPaths::findExecutable(QStringLiteral("psql")).isEmpty()) GTEST_SKIP() << "no psql";
  const std::string s = "\"" + schema_ + "\"";
  for (const std::string& sql : {
           "INSERT INTO " + s + ".mv_audit(at, login, kind, criteria, rows, files) VALUES (now(), 'x', 'list', '', 0, '')",
           "DELETE FROM " + s + ".mv_audit",
           "UPDATE " + s + ".mv_files SET kind = kind",
           "DELETE FROM " + s + ".mv_settings",
           "CREATE TABLE " + s + ".taken(a int)",
       }) {
    const auto [status, error] = Psql(sql, testing::SignedInAs(TestServer(), Login("secteur")));
    EXPECT_NE(status, 0) << sql;
    EXPECT_TRUE(error.contains("permission denied")) << sql << ": " << error.toStdString();
  }
  EXPECT_EQ(Backup(), backup);
}

// A database made before outputs were recorded has no trail: its owner's
// first output makes it, and is recorded there.
TEST_F(ServerSignIn, AnOlderDatabaseGetsItsTrailWithItsOwnersFirstOutput) {
  if (QStandardPaths::findExecutable(QStringLiteral("psql")).isEmpty()) GTEST_SKIP() << "no psql";
  const std::string schema = mvdb::testing_support::FreshSchema(), address = TestServer() + " schema=" + schema;
  mvdb::Database::Create(address);
  const std::string s = "\"" + schema + "\"";
  const std::string drop = "DROP FUNCTION " + s + ".mv_record_output(text, text, bigint, text); DROP TABLE " + s;
  ASSERT_EQ(Psql(drop + ".mv_audit", TestServer()).first, 0);
  auto db = mvdb::Database::Open(address, mvdb::OpenMode::kReadOnly);
  db->storage().Accounts()->RecordOutput({"", "", "list", "--sick-leave", 3, "liste.pdf"});
  const std::vector<mvdb::AuditRecord> trail = db->storage().Accounts()->AuditTrail("");
  ASSERT_EQ(trail.size(), 1u);
  EXPECT_EQ(trail[0].kind + " " + trail[0].criteria + " " + std::to_string(trail[0].rows) + " " + trail[0].files,
            "list --sick-leave 3 liste.pdf");
}

// Each output names the login the server signed in, its kind, its criteria,
// the absences selected and the file written; a refused request adds nothing.
TEST_F(ServerSignIn, EveryOutputIsRecordedWithTheLoginTheServerSignedIn) {
  const auto trail = [] {
    return mvdb::Database::Open(server_, mvdb::OpenMode::kReadOnly)->storage().Accounts()->AuditTrail("2000-01-01");
  };
  const std::size_t first = trail().size();
  const std::string year = "--sick-leave --all --from 01/01/2025 --to 31/12/2025 --output ";
  ASSERT_EQ(ReportOn(As("secteur"), OutDir(), Words(year + "export")), 0) << errors;
  const std::string csv = output.substr(0, output.find('\n'));
  ASSERT_EQ(ReportOn(As("secteur"), OutDir(), Words(year + "list --output-file", {Pdf("list.pdf")})), 0) << errors;
  ASSERT_EQ(ReportOn(As("secteur"), OutDir(), Words(year + "planning")), 1) << errors;  // a year: the form refuses it

  const std::vector<mvdb::AuditRecord> recorded = trail();
  ASSERT_EQ(recorded.size(), first + 2);
  const std::string criteria = "--sick-leave --all --from 01/01/2025 --to 31/12/2025 --count within --sort name";
  std::vector<std::string> seen, expected = {Login("secteur") + " export " + criteria + " " + csv,
                                             Login("secteur") + " list " + criteria + " " + Pdf("list.pdf").string()};
  for (std::size_t i = first; i < recorded.size(); ++i) {
    const mvdb::AuditRecord& r = recorded[i];
    seen.push_back(r.user + " " + r.kind + " " + r.criteria + " " + r.files);
    EXPECT_GT(r.rows, 0);
    EXPECT_EQ(r.at.size(), 19u) << r.at;
  }
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(recorded[first].rows, recorded[first + 1].rows);  // the same selection
}

// mvdb user: the login and its DROITS record come and go together; the
// tool refuses a second login of the same name.
TEST_F(ServerSignIn, ToolKeepsLoginsAndRightsInStep) {
  const auto tool = [this](std::vector<std::string> args) {
    args.insert(args.begin(), kTool.string());
    Process run(args, dir_ / "tool.log");
    const int status = run.Wait();
    return std::pair{status, Slurp(dir_ / "tool.log")};
  };
  const fs::path password = dir_ / "outil-password";
  std::ofstream(password) << "pw-outil\n";
  const std::string name = Login("outil");
  const auto add = std::vector<std::string>{"user", "add", server_, name, "--level", "1", "--sectors", "2,004",
                                            "--display", "Outil", "--password-file", password.string()};
  EXPECT_EQ(tool(add).first, 0);
  const std::string listed = name + " | reader | level 1 | 002,004 | Outil";
  EXPECT_NE(tool({"user", "list", server_}).second.find(listed), std::string::npos);
  const auto twice = tool(add);
  EXPECT_EQ(twice.first, 1);
  EXPECT_NE(twice.second.find("already has a login"), std::string::npos) << twice.second;
  // The password file's line signs in (the server checks it).
  std::ofstream(dir_ / "pgpass", std::ios::app) << "*:*:*:" << name << ":pw-outil\n";
  EXPECT_NO_THROW(mvdb::Database::Open(testing::SignedInAs(server_, name), mvdb::OpenMode::kReadOnly));

  EXPECT_EQ(tool({"user", "remove", server_, name}).first, 0);
  EXPECT_EQ(tool({"user", "list", server_}).second.find(name), std::string::npos);
  EXPECT_FALSE(mvdb::Database::Open(server_, mvdb::OpenMode::kReadOnly)->DBOpen("DROITS").Exists(name));
  EXPECT_EQ(ReportOn(testing::SignedInAs(server_, name), OutDir(), {"--sick-leave"}), 5);
}

// The window's dialog: the login prefilled, the server's refusal shown from
// the second try, three tries at most; the person may cancel or sign in as
// another login.
TEST_F(ServerSignIn, TheSignInDialogAsksThreeTimesAtMost) {
  struct Answer {
    std::string user;  // "" keeps the prefilled login
    std::string password;
    bool cancel = false;
  };
  // The answers given, and the login signed in ("" when refused).
  const std::tuple<const char*, std::vector<Answer>, std::string> cases[] = {
      {"three wrong passwords", {{"", "a"}, {"", "b"}, {"", "c"}}, ""},
      {"right at the second try", {{"", "a"}, {"", "pw-dialogue"}}, Login("dialogue")},
      {"cancelled", {{"", "", true}}, ""},
      {"another login", {{Login("secteur"), "pw-secteur"}}, Login("secteur")},
  };
  for (const auto& [name, answers, signedIn] : cases) {
    SCOPED_TRACE(name);
    std::vector<std::string> shown;  // the prefilled login and the refusal, per try
    std::size_t next = 0;
    QTimer answering;
    QObject::connect(&answering, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<SignInDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr || next >= answers.size()) return;
      const Answer& a = answers[next++];
      auto* user = dialog->findChild<QLineEdit*>(QStringLiteral("Txt_Utilisateur"));
      auto* refusal = dialog->findChild<QLabel*>(QStringLiteral("Lbl_Refus"));
      shown.push_back(user->text().toStdString() + " | " +
                      (refusal->isVisible() ? refusal->text().toStdString() : std::string()));
      if (!a.user.empty()) user->setText(QString::fromStdString(a.user));
      dialog->findChild<QLineEdit*>(QStringLiteral("Txt_MotDePasse"))->setText(QString::fromStdString(a.password));
      a.cancel ? dialog->reject() : dialog->accept();
    });
    answering.start(10);
    std::string user;
    try {
      user = SignIn(As("dialogue"), false, mvdb::OpenMode::kReadOnly, "", DialogPrompt(QStringLiteral("office"))).user;
    } catch (const SignInRefused& e) {
      EXPECT_EQ(signedIn, "") << e.what();
    }
    answering.stop();
    EXPECT_EQ(user, signedIn);
    ASSERT_EQ(shown.size(), answers.size());
    EXPECT_EQ(shown[0], Login("dialogue") + " | ");
    const std::string refused = "password authentication failed for user \"" + Login("dialogue") + "\"";
    for (std::size_t i = 1; i < shown.size(); ++i) EXPECT_NE(shown[i].find(refused), std::string::npos) << shown[i];
  }
}

}  // namespace
}  // namespace morvane::host
