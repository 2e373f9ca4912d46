// Same records, same answers: the demo database copied to the tests' server
// gives every output of `morvane report` as the embedded database gives it
// (the CSV byte for byte, the printed list, planning and letters with the
// same text), and every selection the control wrote meanwhile (sector and
// commune lists, entity and activity look-ups, absence queries of every
// option, contract queries) returns the same rows in the same order.

#include "support/pdf_text.h"
#include "batch_fixture.h"

namespace morvane::host {
namespace {

namespace fs = std::filesystem;

// The requests of every DBSelect of a trace, as the control wrote them: the
// trace shows attribute marks as "^" (the control's requests hold no other
// mark, and no "^" of their own).
std::set<std::string> TracedSelections(const fs::path& trace) {
  std::set<std::string> requests;
  std::ifstream in(trace);
  const std::string head = "[mvdb] DBSelect ";
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(head, 0) != 0) continue;
    std::string request = line.substr(head.size(), line.rfind(" -> ") - head.size());
    std::replace(request.begin(), request.end(), '^', mvdb::kAttributeMark);
    requests.insert(request);
  }
  return requests;
}

class ServerAnswers : public ServerBatchFixture<ServerAnswers> {
 public:
  static int Carers() { return 60; }  // the demo database
  static constexpr bool kPdfText = true;

 protected:
  /// Runs `morvane report` on a database; returns its status and what its
  /// output holds: the new CSV file's bytes, or the PDF's text.
  std::string Outcome(const std::string& db, const std::string& name, std::vector<std::string> args) {
    const fs::path out = dir_ / name;
    fs::create_directories(out);
    const fs::path stat = mvdb::Database::Open(db, mvdb::OpenMode::kReadOnly)->DirectoryFolder("STATAIDANT");
    std::set<fs::path> before;
    for (const auto& entry : fs::directory_iterator(stat)) before.insert(entry.path());
    args.insert(args.begin(), {"--output-file", (out / "output.pdf").string()});
    std::string outcome = "status " + std::to_string(ReportOn(db, out, args)) + "\n" + errors;
    for (const auto& entry : fs::directory_iterator(stat)) {
      if (!before.contains(entry.path())) outcome += Slurp(entry.path());
    }
    for (const auto& entry : fs::directory_iterator(out)) {
      if (entry.path().extension() == ".pdf") outcome += entry.path().filename().string() + "\n" + testing::PdfText(entry.path()).value_or(QString()).toStdString();
      fs::remove(entry.path());
    }
    return outcome;
  }
};

TEST_F(ServerAnswers, EveryOutputAndEverySelectionOfTheControlAreTheEmbeddedOnes) {
  const char* const runs[] = {
      "--sick-leave --leave --other --entity 010 --from 01/01/2025 --to 31/12/2025 --output list",
      "--sick-leave --leave --other --to-validate --from 02/06/2025 --to 24/08/2025 --output planning",
      "--sick-leave --leave --other --to-validate --all --from 01/01/2025 --to 31/12/2025 --output export",
      "--sick-leave --leave --other --entity 020 --all --from 01/01/2025 --to 31/12/2025 --count starting --sort start "
      "--output export",
      "--sick-leave --count ending --from 01/01/2025 --to 30/06/2025 --output letter-type",
      "--sick-leave --count ending --from 01/01/2025 --to 30/06/2025 --output letter-merge",
      "--leave --reason 12 --commune 42100 --from 01/01/2025 --to 31/12/2025 --sort end --output list",
      "--sick-leave --no-return-date --sector 003 --entity 040 --from 01/03/2025 --to 30/09/2025 --output export",
  };
  const fs::path trace = dir_ / "trace.log";
  fs::remove(trace);
  int number = 0;
  for (const char* run : runs) {
    SCOPED_TRACE(run);
    ::setenv("MVDB_TRACE", trace.c_str(), 1);
    const std::string embedded = Outcome(Database().string(), "embedded-" + std::to_string(number), Words(run));
    ::unsetenv("MVDB_TRACE");
    const std::string server = Outcome(server_, "server-" + std::to_string(number++), Words(run));
    EXPECT_EQ(server, embedded);
    EXPECT_GT(embedded.size(), 200u) << embedded;  // an output was written
  }

  const std::set<std::string> selections = TracedSelections(trace);
  EXPECT_GE(selections.size(), 12u);  // every carer's contracts are asked in one query per filtering
  auto embedded = mvdb::Database::Open(Database().string(), mvdb::OpenMode::kReadOnly);
  auto server = mvdb::Database::Open(server_, mvdb::OpenMode::kReadOnly);
  for (const std::string& request : selections) {
    long embeddedCount = -1, serverCount = -2;
    const std::string rows = embedded->DBSelect(request, "", embeddedCount).Text();
    EXPECT_EQ(server->DBSelect(request, "", serverCount).Text(), rows) << request;
    EXPECT_EQ(serverCount, embeddedCount) << request;
  }
}

}  // namespace
}  // namespace morvane::host
