// A backup restores whole: the statistics export run on a copy of the demo
// database, made by exporting it and importing the backup into an empty
// database, is the original's byte for byte.
#include <gtest/gtest.h>

#include <sstream>

#include "batch_fixture.h"
#include "mvdb/jsonl.h"

namespace morvane::host {
namespace {

namespace fs = std::filesystem;

class BackupRestore : public BatchFixture<BackupRestore> {
 protected:
  /// The export's CSV file made by `morvane report --output export` on `db`.
  std::string ExportOf(const fs::path& db) {
    const fs::path stat = fs::path(db.string() + ".d") / "STATAIDANT";
    std::vector<std::string> line = {"morvane", "report", "--db", db.string(), "--out", OutDir().string(),
                                     "--from", "01/06/2025", "--to", "30/06/2025", "--output", "export",
                                     "--sick-leave", "--leave", "--other", "--entity", "010"};
    std::vector<char*> argv;
    for (std::string& a : line) argv.push_back(a.data());
    EXPECT_EQ(RunBatch(static_cast<int>(argv.size()), argv.data()), 0);
    std::string csv;
    for (const auto& entry : fs::directory_iterator(stat))
      if (entry.path().extension() == ".csv") csv = Slurp(entry.path());
    return csv;
  }
};

TEST_F(BackupRestore, TheCopyExportsTheOriginalsCsv) {
  const fs::path copy = dir_ / "copy.mvdb";
  {
    std::stringstream backup;
    mvdb::jsonl::Export(*mvdb::Database::Open(Database(), mvdb::OpenMode::kReadOnly), {}, backup);
    mvdb::jsonl::Import(*mvdb::Database::Create(copy), backup);
  }
  const std::string original = ExportOf(Database());
  EXPECT_GT(original.size(), 1000u);
  EXPECT_EQ(ExportOf(copy), original);
}

}  // namespace
}  // namespace morvane::host
