// The database file as people leave it, and backups through the mvdb program:
// a damaged file, a read-only folder; a backup of the demo
// database that restores byte for byte, exports that fail leaving nothing,
// imports that fail changing nothing, and the mvdb program's statuses.
#include <sys/stat.h>

#include <random>

#include "demo/generator.h"
#include "reliability_support.h"

namespace {

using mvdb::testing_support::Failure;
using mvdb::testing_support::Slurp;
using reliability::Mvdb;

// What the queries and the export give: their results, or their failures.
std::vector<std::string> Outcomes(mvdb::Database& db) {
  std::vector<std::string> outcomes;
  for (const char* query : {"SSELECT ABSENCESAIDANT AVEC CodeAidantAbs = \"00001\"",
                            "SSELECT ABSENCESAIDANT AVEC NumMotifAidant <= \"6\" PAR NomAidant",
                            "SSELECT ABSENCESAIDANT AVEC DebAbsAidant >= \"20800\"",
                            "SSELECT ABSENCESAIDANT AVEC FinAbsAidant >= \"20800\"", "SSELECT CONTRAT PAR 20"}) {
    long count = 0;
    const std::string failure = Failure([&] { outcomes.push_back(db.DBSelect(query, "", count).Text()); });
    if (failure != "no error") outcomes.push_back(failure);
  }
  std::ostringstream exported;
  const std::string failure = Failure([&] { mvdb::jsonl::Export(db, {}, exported); });
  outcomes.push_back(failure == "no error" ? exported.str() : failure);
  return outcomes;
}

TEST(DatabaseFiles, DamageIsReportedAsDamageAndNeverAsAnythingElse) {
  reliability::ScratchDir folder;
  const auto path = folder / "demo.mvdb";
  morvane::demo::Generate(*mvdb::Database::Create(path), morvane::demo::Options{});
  const std::vector<std::string> sound = Outcomes(*mvdb::Database::Open(path));
  std::string bytes = Slurp(path);
  std::mt19937 random(1);
  for (std::size_t i = bytes.size() / 2; i < bytes.size() / 2 + 8192; ++i) bytes[i] = static_cast<char>(random());
  std::ofstream(path, std::ios::binary) << bytes;

  const std::string damage = "0x80040040 database " + path.string() + " is damaged: database disk image is malformed";
  const std::vector<std::string> damaged = Outcomes(*mvdb::Database::Open(path));
  int reported = 0;
  for (std::size_t i = 0; i < sound.size(); ++i) {
    if (damaged[i] == damage) ++reported;
    else EXPECT_EQ(damaged[i].substr(0, 200), sound[i].substr(0, 200)) << "outcome " << i;
  }
  EXPECT_GT(reported, 0);
}

TEST(DatabaseFiles, ADatabaseInAReadOnlyFolderIsReadAndRefusesWritesSayingWhy) {
  reliability::ScratchDir folder;
  const auto path = folder / "ro" / "db.mvdb";
  std::filesystem::create_directories(path.parent_path());
  {
    auto db = mvdb::Database::Create(path);
    db->CreateFile("F");
    db->CreateFile("D", mvdb::FileKind::kDirectory);
    db->storage().Put("F", "k", "v");
  }
  ::chmod(path.parent_path().c_str(), 0555);
  reliability::Child reader([&](int) {  // as someone who may not write the folder
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return false;
    auto db = mvdb::Database::Open(path);
    const std::string why = "its folder " + path.parent_path().string() + " is not writable";
    return db->ReadOnlyReason() == why && db->DBOpen("F").DBRead("k").Text() == "v" &&
           Failure([&] { db->storage().Put("F", "k2", "v"); }) ==
               "0x80040040 cannot write record k2 of F: database " + path.string() + " is read-only (" + why + ")" &&
           Failure([&] { db->storage().Put("D", "x.txt", "v"); }).find("is read-only (" + why + ")") != std::string::npos;
  });
  EXPECT_TRUE(reader.Succeeded());
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(path.parent_path()))
    files.push_back(entry.path().filename().string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"db.mvdb", "db.mvdb.d"}));  // no -wal or -shm left beside it
}

TEST(DatabaseFiles, TheDemoDatabaseBacksUpAndRestoresByteForByteThroughMvdb) {
  reliability::ScratchDir folder;
  const auto db = (folder / "demo.mvdb").string(), copy = (folder / "copy.mvdb").string();
  ASSERT_EQ(Mvdb({"demo", db}, folder / "demo.out").status, 0);
  const auto stat = folder / "demo.mvdb.d" / "STATAIDANT";
  std::ofstream(stat / "latin1.csv", std::ios::binary) << "Nom;Pr\xE9nom\r\nDUPONT;\xC9lise\r\n";
  ASSERT_EQ(Mvdb({"export", db}, folder / "b1.jsonl").status, 0);
  ASSERT_EQ(Mvdb({"create", copy}, folder / "create.out").status, 0);
  ASSERT_EQ(Mvdb({"import", copy, (folder / "b1.jsonl").string()}, folder / "import.out").status, 0);
  ASSERT_EQ(Mvdb({"export", copy, "-o", (folder / "b2.jsonl").string()}, folder / "export.out").status, 0);
  EXPECT_EQ(Slurp(folder / "b2.jsonl"), Slurp(folder / "b1.jsonl"));
  for (const char* file : {"STATAIDANT/latin1.csv", "SIGNATURES/LETTREINFOCP_010.png"})
    EXPECT_EQ(Slurp(folder / "copy.mvdb.d" / file), Slurp(folder / "demo.mvdb.d" / file)) << file;

  // The demo generator does not write over records.
  const auto refused = Mvdb({"demo", db}, folder / "again.out");
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err, "mvdb: " + db + " already holds records: give --into-existing to add the demo data to them\n");
  ASSERT_EQ(Mvdb({"export", db}, folder / "b3.jsonl").status, 0);
  EXPECT_EQ(Slurp(folder / "b3.jsonl"), Slurp(folder / "b1.jsonl"));

  // An export that fails leaves nothing: a record that cannot be read, a full disk.
  std::ofstream(stat / "bad..csv") << "a file the engine cannot read";
  EXPECT_EQ(Mvdb({"export", db, "-o", (folder / "b4.jsonl").string()}, folder / "b4.out").status, 1);
  EXPECT_FALSE(std::filesystem::exists(folder / "b4.jsonl"));
  EXPECT_EQ(Mvdb({"export", db}, folder / "b5.jsonl").status, 1);
  EXPECT_EQ(std::filesystem::file_size(folder / "b5.jsonl"), 0u);
  std::filesystem::remove(stat / "bad..csv");
  EXPECT_EQ(Mvdb({"export", db}, "/dev/full").status, 1);

  // An import that fails on its last line imports nothing, directory files included.
  std::ofstream(folder / "bad.jsonl") << R"({"file":"CIVILAIDANT","id":"99999","record":["x"]})" "\n"
                                      << R"({"file":"STATAIDANT","id":"new.csv","record":["x"]})" "\n"
                                      << R"({"file":"STATAIDANT","id":")" << std::string(256, 'k') << R"(","record":["x"]})";
  EXPECT_EQ(Mvdb({"import", db, (folder / "bad.jsonl").string()}, folder / "bad.out").status, 1);
  ASSERT_EQ(Mvdb({"export", db}, folder / "b6.jsonl").status, 0);
  EXPECT_EQ(Slurp(folder / "b6.jsonl"), Slurp(folder / "b1.jsonl"));
}

}  // namespace
