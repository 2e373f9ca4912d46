// What the batch says of its outputs: the files it wrote on standard output,
// a refusal before anything is written when an output would land on the
// database, status 4 and one line naming the file and the system's reason
// when an output could not be written whole. (Damage to the database ends
// with status 4 too: Damages/DamagedRun; the storage names it: DatabaseFiles.)

#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include <algorithm>

#include "batch_fixture.h"

namespace morvane::host {
namespace {

namespace fs = std::filesystem;

const std::string kJune = "--sick-leave --from 01/06/2025 --to 30/06/2025 ";
const std::string kLetters = "--sick-leave --count ending --from 01/01/2025 --to 30/06/2025 ";

/// Every file under `folder` with its size and modification time.
std::vector<std::string> Snapshot(const fs::path& folder) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    files.push_back(entry.path().string() + " " + std::to_string(entry.file_size()) + " " +
                    std::to_string(entry.last_write_time().time_since_epoch().count()));
  }
  std::sort(files.begin(), files.end());
  return files;
}

class BatchOutputs : public BatchFixture<BatchOutputs> {
 protected:
  void SetUp() override {
    std::error_code ignored;
    fs::remove_all(OutDir(), ignored);
  }
};

TEST_F(BatchOutputs, ASuccessfulRunPrintsThePathOfEveryFileItWrote) {
  const fs::path list = Pdf("juin.pdf");
  ASSERT_EQ(Report(Words(kJune + "--all --output-file", {list})), 0) << errors;
  EXPECT_EQ(output, list.string() + "\n");
  EXPECT_GT(fs::file_size(list), 1000u);

  ASSERT_EQ(Report(Words(kJune + "--all --output export")), 0) << errors;
  const auto exported = LinesStarting(output);
  ASSERT_EQ(exported.size(), 1u) << output;
  EXPECT_EQ(fs::path(exported[0]).parent_path(), fs::path(Database().string() + ".d") / "STATAIDANT");
  EXPECT_TRUE(fs::is_regular_file(exported[0]));

  ASSERT_EQ(Report(Words(kLetters + "--output letter-merge")), 0) << errors;
  const std::string merged = (OutDir() / "publipostage-LETTREINFOCP00000000").string();
  EXPECT_EQ(output, merged + ".odt\n" + merged + ".pdf\n");

  // Letters on an empty selection: started, nothing written, and said.
  for (const char* letters : {"letter-type", "letter-merge"}) {
    const std::string args = std::string("--sick-leave --count ending --from 01/01/2030 --to 30/06/2030 --output ") + letters;
    EXPECT_EQ(Report(Words(args + " --output-file", {Pdf("vide.pdf")})), 0) << errors;
    EXPECT_EQ(output, "no letter to make: no contract of the selected absences gets a letter\n") << letters;
    EXPECT_FALSE(fs::exists(Pdf("vide.pdf")));
  }
}

// An output is refused before anything is written when it would be the
// database, one of its companions or a file of its folder.
TEST_F(BatchOutputs, AnOutputOntoTheDatabaseIsRefusedBeforeAnythingIsWritten) {
  fs::create_directories(OutDir());
  const auto before = Snapshot(dir_);
  const std::string db = Database().string();
  const std::pair<std::vector<std::string>, fs::path> cases[] = {
      {Words(kJune + "--output-file", {db}), OutDir()},
      {Words(kJune + "--output-file", {db + "-wal"}), OutDir()},
      {Words(kJune + "--output planning --output-file", {db + ".d/STATAIDANT/planning.pdf"}), OutDir()},
      {Words(kLetters + "--output letter-type --output-file", {db + "-shm"}), OutDir()},
      {Words(kJune), db + ".d"},  // the default PDF file inside the folder
      {Words(kLetters + "--output letter-merge"), db + ".d/SIGNATURES"},
  };
  for (const auto& [args, out] : cases) {
    SCOPED_TRACE(args.back() + " " + out.string());
    EXPECT_EQ(ReportOn(Database(), out, args), 2);
    EXPECT_NE(errors.find("belongs to the database"), std::string::npos) << errors;
    EXPECT_EQ(Snapshot(dir_), before);
  }
}

// An output that cannot be written whole ends with status 4 and one line
// naming the file and the system's reason; no file is left.
TEST_F(BatchOutputs, AnOutputThatCannotBeWrittenWholeEndsWithStatusFourAndOneLine) {
  std::ofstream(Pdf("fichier")) << "x";
  const std::string notAFolder = Pdf("fichier").string();
  const std::string full = "No space left on device";
  // The arguments, the output folder, the file that cannot be written and why.
  const std::tuple<std::vector<std::string>, fs::path, std::string, std::string> cases[] = {
      {Words(kJune + "--all --output-file /dev/full"), OutDir(), "/dev/full", full},
      {Words(kJune + "--output planning --output-file /dev/full"), OutDir(), "/dev/full", full},
      {Words(kLetters + "--output letter-type --output-file /dev/full"), OutDir(), "/dev/full", full},
      {Words(kLetters + "--output letter-type --output-file", {notAFolder + "/lettres.pdf"}), OutDir(),
       notAFolder + "/lettres.pdf", "Not a directory"},
      {Words(kLetters + "--output letter-merge"), notAFolder,
       notAFolder + "/publipostage-LETTREINFOCP00000000.odt", "Not a directory"},
  };
  for (const auto& [args, out, file, reason] : cases) {
    SCOPED_TRACE(file);
    EXPECT_EQ(ReportOn(Database(), out, args), 4);
    EXPECT_EQ(LinesStarting(errors), std::vector<std::string>{"Message QUENTARIS: Cmd_Imprimer_Click : Le fichier " + file +
                                                              " n'a pas pu être écrit : " + reason});
    EXPECT_EQ(output, "");
  }
  EXPECT_EQ(Slurp(Pdf("fichier")), "x");
}

// Standard output may be the output itself (a pipe to a PDF reader): the
// document goes there whole and no path is announced into it.
TEST_F(BatchOutputs, APdfWrittenToStandardOutputIsWholeAndAnnouncesNothing) {
  const QString program = QStringLiteral(MORVANE_BINARY_DIR "/src/morvane");
  if (!QFileInfo::exists(program)) GTEST_SKIP() << "the morvane program is not built";
  QProcess morvane;
  QStringList args = {"report", "--db", QString::fromStdString(Database().string()), "--out",
                      QString::fromStdString(OutDir().string()), "--all", "--output-file", "/dev/stdout"};
  for (const std::string& a : Words(kJune)) args << QString::fromStdString(a);
  morvane.start(program, args);
  ASSERT_TRUE(morvane.waitForFinished(60000));
  EXPECT_EQ(morvane.exitCode(), 0) << morvane.readAllStandardError().toStdString();
  const QByteArray pdf = morvane.readAllStandardOutput();
  EXPECT_TRUE(pdf.startsWith("%PDF-")) << pdf.left(40).toStdString();
  EXPECT_TRUE(pdf.endsWith("%%EOF\n")) << pdf.right(40).toStdString();
}

}  // namespace
}  // namespace morvane::host
