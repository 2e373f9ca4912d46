// JSON Lines import of arbitrary bytes into a fresh temporary database. The
// import either lands or throws DbError, and after a failure the database
// holds nothing of it (one transaction); what landed exports, and the export
// imports into an empty database giving the same export.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "mvdb/database.h"
#include "mvdb/errors.h"
#include "mvdb/jsonl.h"
#include "mvdb/storage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 65536) return -1;
  // A memory-backed folder when there is one: creating a database costs fsyncs.
  static const auto dir =
      (std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                  : std::filesystem::temp_directory_path()) /
      ("mv-fuzz-jsonl-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  {
    auto db = mvdb::Database::Create(dir / "f.mvdb");
    db->CreateFile("CIVILAIDANT");
    db->CreateFile("STATAIDANT", mvdb::FileKind::kDirectory);
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    try {
      mvdb::jsonl::Import(*db, in);
      // Whatever was imported exports, and the export restores the same bytes.
      std::stringstream out;
      mvdb::jsonl::Export(*db, {}, out);
      const std::string exported = out.str();
      auto copy = mvdb::Database::Create(dir / "copy.mvdb");
      mvdb::jsonl::Import(*copy, out);
      std::ostringstream again;
      mvdb::jsonl::Export(*copy, {}, again);
      if (again.str() != exported) std::abort();
    } catch (const mvdb::DbError&) {
      // A failed import leaves nothing behind in the files that existed.
      for (const char* file : {"CIVILAIDANT", "STATAIDANT"}) {
        long records = 0;
        db->storage().Scan(file, [&](const std::string&, const std::string&) { return ++records, true; });
        if (records != 0) std::abort();
      }
    }
  }
  std::filesystem::remove_all(dir);
  return 0;
}
