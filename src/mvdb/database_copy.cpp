#include "mvdb/database_copy.h"

#include "mvdb/query/engine.h"
#include "mvdb/storage.h"

namespace mvdb {
namespace {

// Records written at most in one batch.
constexpr std::size_t kCopyBatch = 5000;

}  // namespace

CopySummary CopyDatabase(Database& from, Database& to, const std::function<void(long records)>& progress) {
  if (from.storage().Address() == to.storage().Address())
    throw DbError(ErrorCode::kInvalidArgument, "cannot copy database " + from.storage().Address() + " onto itself");
  if (!to.FileNames().empty())
    throw DbError(ErrorCode::kFileExists, "database " + to.storage().Address() +
                                              " already holds files: copy into an empty database (mvdb create)");
  CopySummary summary;
  Storage& source = from.storage();
  Storage& target = to.storage();
  const auto indexes = from.queries().IndexedFields();
  to.Transaction([&] {
    from.ReadSnapshot([&] {
      for (const std::string& file : from.FileNames()) {
        const FileKind kind = source.Kind(file);
        if (!target.HasFile(file)) {
          target.CreateFile(file, kind);
          ++summary.files;
        }
        std::vector<KeyedRecord> batch;
        auto flush = [&] {
          target.PutMany(file, batch);
          summary.records += static_cast<long>(batch.size());
          batch.clear();
          if (progress) progress(summary.records);
        };
        source.ScanStored(file, [&](const std::string& key, const std::string& bytes) {
          if (kind == FileKind::kDirectory) {
            target.PutStored(file, key, bytes);
            ++summary.records;
            return true;
          }
          batch.push_back(KeyedRecord{key, bytes});
          if (batch.size() >= kCopyBatch) flush();
          return true;
        });
        if (!batch.empty()) flush();
      }
    });
    for (const auto& [file, field] : indexes) {
      to.CreateIndex(file, field);
      ++summary.indexes;
    }
  });
  return summary;
}

}  // namespace mvdb
