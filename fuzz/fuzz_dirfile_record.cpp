// Arbitrary bytes as the OS file of a directory-file record, read back through
// the engine (DBRead, then a selection scanning the folder). Reading either
// gives a record whose text encodes to the same lines, or throws DbError.
// The first input byte picks the key kind (plain or spreadsheet ".csv").
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "mvdb/database.h"
#include "mvdb/directory_files.h"
#include "mvdb/errors.h"

namespace {

struct Fixture {
  std::filesystem::path dir;
  std::unique_ptr<mvdb::Database> db;
  std::filesystem::path folder;
};

Fixture& Get() {
  static Fixture* fixture = [] {
    auto* f = new Fixture();  // lives for the whole run
    f->dir = std::filesystem::temp_directory_path() / ("mv-fuzz-dir-" + std::to_string(::getpid()));
    std::filesystem::remove_all(f->dir);
    std::filesystem::create_directories(f->dir);
    f->db = mvdb::Database::Create(f->dir / "d.mvdb");
    f->db->CreateFile("STATAIDANT", mvdb::FileKind::kDirectory);
    // The folder is the one the engine writes records to: find it by writing one.
    auto file = f->db->DBOpen("STATAIDANT");
    auto probe = file.DBNew("probe-record");
    probe.SetItem(1, "x");
    probe.DBWrite();
    for (const auto& entry : std::filesystem::recursive_directory_iterator(f->dir))
      if (entry.path().filename() == "probe-record") f->folder = entry.path().parent_path();
    if (f->folder.empty()) std::abort();
    file.DBDelete("probe-record");
    return f;
  }();
  return *fixture;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  Fixture& f = Get();
  const std::string key = (data[0] & 1) ? "STAT_20240101.csv" : "RECORD1";
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  {
    std::ofstream out(f.folder / key, std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  try {
    auto file = f.db->DBOpen("STATAIDANT");
    const mvdb::DynArray record = file.DBRead(key);
    const std::string text = record.Text();
    // Decoding what we encode gives the same text back.
    if (mvdb::dirfile::DecodeRecord(key, mvdb::dirfile::EncodeRecord(key, text)) != text) std::abort();
    long count = 0;
    mvdb::DynArray request;
    request.SetItem(1, "SSELECT STATAIDANT");
    request.SetItem(3, "0 1 2");
    (void)f.db->DBSelect(request.Text(), "", count);
    if (count != 1) std::abort();
    // Writing it back through the engine and reading again keeps the text.
    mvdb::DynArray copy = record;
    copy.DBWrite();
    if (file.DBRead(key).Text() != text) std::abort();
  } catch (const mvdb::DbError&) {
  }
  std::filesystem::remove(f.folder / key);
  return 0;
}
