// Output files written whole or not at all, the database's own files refused,
// and devices written in place, never renamed over.
#include <QTemporaryDir>
#include <sys/stat.h>

#include "mvdb/engine_test_support.h"
#include "services/output_file.h"
#include "services/printer_list.h"

namespace morvane::services {
namespace {

namespace fs = std::filesystem;
using mvdb::testing_support::Slurp;

void WriteFile(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class OutputFileTest : public ::testing::Test {
 protected:
  fs::path Dir() const { return dir_.path().toStdString(); }
  QTemporaryDir dir_;
};

TEST_F(OutputFileTest, TheDatabaseItsCompanionsAndItsFolderAreRefused) {
  const fs::path base = Dir() / "base", db = base / "demo.mvdb";
  fs::create_directories(base / "demo.mvdb.d" / "STATAIDANT");
  WriteFile(db, "db");
  fs::create_hard_link(db, Dir() / "lien-dur");
  fs::create_directory_symlink(base, Dir() / "raccourci");
  const std::pair<fs::path, bool> cases[] = {
      {db, true}, {base / "demo.mvdb-wal", true}, {base / "demo.mvdb-shm", true}, {base / "demo.mvdb-journal", true},
      {base / "demo.mvdb.d", true}, {base / "demo.mvdb.d" / "STATAIDANT" / "x.pdf", true},
      {base / "demo.mvdb.d" / "nouveau" / "x.pdf", true}, {Dir() / "raccourci" / "demo.mvdb", true},
      {Dir() / "raccourci" / "demo.mvdb.d" / "x.pdf", true}, {base / "autre" / ".." / "demo.mvdb", true},
      {Dir() / "lien-dur", true}, {base / "demo.mvdb.pdf", false}, {base / "demo.mvdb.dx" / "x.pdf", false},
  };
  for (const auto& [target, refused] : cases) {
    EXPECT_EQ(InsideDatabase(target, db), refused) << target;
    try {
      RefuseInsideDatabase(target, db);
      EXPECT_FALSE(refused) << target;
    } catch (const OutputError& e) {
      EXPECT_TRUE(refused) << target;
      EXPECT_EQ(std::string(e.what()), "Le fichier " + target.string() + " appartient à la base de données " +
                                           db.string() + " : une édition ne peut pas l'écrire.");
    }
  }
  EXPECT_FALSE(InsideDatabase(db, {})) << "no database file: nothing to protect";
  EXPECT_FALSE(InsideDatabase(db, "postgresql://localhost/morvane"));
  // A server database keeps its directory files in a root of its own.
  const fs::path root = Dir() / "racine";
  EXPECT_TRUE(InsideDatabase(Dir() / "raccourci" / ".." / "racine" / "STATAIDANT" / "x.pdf", "postgresql://h/m", root));
  EXPECT_FALSE(InsideDatabase(Dir() / "racine2" / "x.pdf", "postgresql://h/m", root));
}

TEST_F(OutputFileTest, AnExistingFileIsReplacedOnlyByACompleteOne) {
  const fs::path target = Dir() / "liste.pdf";
  WriteFile(target, "ancien");
  ::chmod(target.c_str(), 0640);
  {
    OutputFile output(target);
    output.Device().write("nou");
    EXPECT_EQ(Slurp(target), "ancien") << "nothing shows before the commit";
  }  // abandoned: the old file stays, the temporary file goes
  EXPECT_EQ(Slurp(target), "ancien");
  EXPECT_EQ(Names(Dir()), std::vector<std::string>{"liste.pdf"});

  OutputFile output(target);
  output.Device().write("nouveau");
  output.Commit();
  EXPECT_EQ(Slurp(target), "nouveau");
  EXPECT_EQ(Names(Dir()), std::vector<std::string>{"liste.pdf"});
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms(0640)) << "the permissions are kept";
}

TEST_F(OutputFileTest, NewFilesAreMadeAndLinksFollowedNotReplaced) {
  WriteFile(Dir() / "vrai.pdf", "ancien");
  fs::create_symlink(Dir() / "vrai.pdf", Dir() / "lien.pdf");
  fs::create_symlink(Dir() / "futur.pdf", Dir() / "pendant.pdf");
  for (const char* name : {"neuf.pdf", "lien.pdf", "pendant.pdf"}) {
    OutputFile output(Dir() / name);
    output.Device().write(name);
    output.Commit();
  }
  EXPECT_EQ(Slurp(Dir() / "neuf.pdf"), "neuf.pdf");
  EXPECT_EQ(Slurp(Dir() / "vrai.pdf"), "lien.pdf");
  EXPECT_EQ(Slurp(Dir() / "futur.pdf"), "pendant.pdf");
  EXPECT_TRUE(fs::is_symlink(Dir() / "lien.pdf") && fs::is_symlink(Dir() / "pendant.pdf"));
}

TEST_F(OutputFileTest, WhatCannotBeMadeIsNamedWithTheSystemsReason) {
  WriteFile(Dir() / "fichier", "x");
  fs::create_directory(Dir() / "dossier");
  const std::pair<fs::path, const char*> cases[] = {{Dir() / "fichier" / "lettres.odt", "Not a directory"},
                                                     {Dir() / "dossier", "c'est un dossier"},
                                                     {Dir() / "absent" / "x.png", "No such file or directory"}};
  for (const auto& [target, reason] : cases) {
    try {
      OutputFile output(target);
      ADD_FAILURE() << target << " was opened";
    } catch (const OutputError& e) {
      EXPECT_EQ(std::string(e.what()), "Le fichier " + target.string() + " n'a pas pu être écrit : " + reason);
    }
  }
  EXPECT_EQ(Names(Dir()), (std::vector<std::string>{"dossier", "fichier"}));
}

// A device is written in place (a pipe too: BatchOutputs writes a PDF to
// standard output) and its errors count.
TEST_F(OutputFileTest, DevicesAreWrittenInPlaceAndTheirErrorsCount) {
  struct stat device {};
  if (::stat("/dev/full", &device) != 0 || !S_ISCHR(device.st_mode)) GTEST_SKIP() << "no /dev/full";
  {
    OutputFile full("/dev/full");
    full.Device().write(std::string(100000, 'x').c_str(), 100000);
    try {
      full.Commit();
      ADD_FAILURE() << "writing /dev/full succeeded";
    } catch (const OutputError& e) {
      EXPECT_EQ(std::string(e.what()), "Le fichier /dev/full n'a pas pu être écrit : No space left on device");
    }
  }
  struct stat after {};
  ASSERT_EQ(::stat("/dev/full", &after), 0);
  EXPECT_TRUE(S_ISCHR(after.st_mode) && after.st_rdev == device.st_rdev) << "the device node is still there";
}

TEST_F(OutputFileTest, APdfJobLeftUnfinishedLeavesTheFileAsItWas) {
  const fs::path pdf = Dir() / "impression.pdf";
  WriteFile(pdf, "ancien");
  MakeQtPrinter(QStringLiteral("PDF"), pdf)->Print(QStringLiteral("jamais terminé"));
  EXPECT_EQ(Slurp(pdf), "ancien");
  EXPECT_EQ(Names(Dir()), std::vector<std::string>{"impression.pdf"});
}

}  // namespace
}  // namespace morvane::services
