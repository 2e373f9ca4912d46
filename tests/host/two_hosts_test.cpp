// Hosts as separate programs on one database, as offices run them: the
// database tool importing absences while `morvane report` exports and two
// exports started in the same second (on the embedded database and on the
// tests' server). A writer killed midway: CrashSafety.

#include "batch_fixture.h"
#include "mvdb/jsonl.h"
#include "process.h"

namespace morvane::host {
namespace {

namespace fs = std::filesystem;

/// The programs themselves on the suite's demo database, on both storages:
/// the server's copy of the demo database is made once.
class TwoHosts : public BothStoragesBatchFixture<TwoHosts> {
 protected:
  void SetUp() override {
    if (!fs::exists(kMorvane) || !fs::exists(kTool)) GTEST_SKIP() << "the morvane and mvdb programs are not built";
    BothStoragesBatchFixture::SetUp();
    if (IsSkipped()) return;
    address_ = OnTheServer() ? server_ : Database().string();
    // Every file of STATAIDANT goes, hidden temporaries included.
    for (const fs::path& file : Exports()) fs::remove(file);
  }
  /// Starts `morvane report` exporting the absences of 2025, `runs` times one
  /// after the other; their output goes to `log`.
  std::unique_ptr<Process> Export(const std::string& log, int runs = 1) {
    std::string script;
    for (int run = 0; run < runs; ++run) {
      script += kMorvane.string() + " report --db '" + address_ + "' --out " + OutDir().string() +
                " --sick-leave --leave --other --all --from 01/01/2025 --to 31/12/2025 --output export || exit 1; ";
    }
    return std::make_unique<Process>(std::vector<std::string>{"/bin/sh", "-c", script}, dir_ / log);
  }
  /// Every file of STATAIDANT, hidden temporaries included.
  std::vector<fs::path> Exports() const {
    std::vector<fs::path> files;
    const auto db = mvdb::Database::Open(address_, mvdb::OpenMode::kReadOnly);
    for (const auto& entry : fs::directory_iterator(db->DirectoryFolder("STATAIDANT"))) files.push_back(entry.path());
    return files;
  }

  std::string address_;
};

/// Rows of an exported CSV whose observation is one of the imported ones.
int RowsImported(const std::string& csv) {
  int rows = 0;
  for (auto at = csv.find(";IMPORT "); at != std::string::npos; at = csv.find(";IMPORT ", at + 1)) ++rows;
  return rows;
}

TEST_P(TwoHosts, ExportsBesideAnImportSeeWholeBatchesAndTheImportLosesNothing) {
  // Ten batches of paid leave in 2025, each imported in its own transaction by
  // the database tool while the other host exports the year over and over.
  constexpr int kBatches = 10;
  constexpr int kPerBatch = 400;
  std::vector<std::string> keys;
  {
    auto db = mvdb::Database::Open(address_);
    const mvdb::DbFile absences = db->DBOpen("ABSENCESAIDANT");
    for (int day = 20820; keys.size() < kBatches * kPerBatch; ++day) {  // from 1 January 2025
      for (int carer = 1; carer <= Carers() && keys.size() < kBatches * kPerBatch; ++carer) {
        char key[32];
        std::snprintf(key, sizeof key, "%05d12%05d", carer, day);
        if (!absences.Exists(key)) keys.push_back(key);
      }
    }
  }
  std::string script;
  for (int b = 0; b < kBatches; ++b) {
    const fs::path batch = dir_ / ("batch-" + std::to_string(b) + ".jsonl");
    std::ofstream out(batch);
    for (int i = b * kPerBatch; i < (b + 1) * kPerBatch; ++i) {
      const int day = std::stoi(keys[i].substr(7));
      // First day's half "1", last day the next day, end half "2", observation.
      mvdb::DynArray record;
      record.SetItem(1, "1");
      record.SetItem(2, std::to_string(day + 1));
      record.SetItem(3, "2");
      record.SetItem(29, "IMPORT " + keys[i]);
      out << mvdb::jsonl::EncodeLine("ABSENCESAIDANT", keys[i], record.Text()) << "\n";
    }
    script += kTool.string() + " import '" + address_ + "' " + batch.string() + " || exit 1; ";
  }
  Process importer({"/bin/sh", "-c", script}, dir_ / "import.log");
  const auto exporter = Export("export.log", 4);
  EXPECT_EQ(importer.Wait(), 0) << Slurp(dir_ / "import.log");
  EXPECT_EQ(exporter->Wait(), 0) << Slurp(dir_ / "export.log");

  const auto files = Exports();
  EXPECT_EQ(files.size(), 4u);
  for (const fs::path& file : files) {
    const int imported = RowsImported(Slurp(file));
    EXPECT_EQ(imported % kPerBatch, 0) << file << " holds part of a batch: " << imported << " rows";
  }
  auto db = mvdb::Database::Open(address_);
  const mvdb::DbFile absences = db->DBOpen("ABSENCESAIDANT");
  int whole = 0;
  for (const std::string& key : keys) {
    if (absences.Exists(key) && absences.DBRead(key).Item(29) == "IMPORT " + key) ++whole;
  }
  EXPECT_EQ(whole, kBatches * kPerBatch);
}

TEST_P(TwoHosts, TwoExportsStartedInTheSameSecondWriteTwoWholeFiles) {
  auto first = Export("first.log");
  auto second = Export("second.log");
  EXPECT_EQ(first->Wait(), 0) << Slurp(dir_ / "first.log");
  EXPECT_EQ(second->Wait(), 0) << Slurp(dir_ / "second.log");
  const auto files = Exports();
  ASSERT_EQ(files.size(), 2u);
  EXPECT_NE(files[0].filename(), files[1].filename());
  EXPECT_GT(fs::file_size(files[0]), 1000u);
  EXPECT_EQ(Slurp(files[0]), Slurp(files[1]));  // the same data, each file whole
}

INSTANTIATE_ON_BOTH_STORAGES(TwoHosts);

}  // namespace
}  // namespace morvane::host
