#include "demo/batch_writer.h"

#include <algorithm>

#include "mvdb/storage.h"

namespace morvane::demo {

BatchWriter::BatchWriter(mvdb::Database& db, std::size_t batchSize, std::function<void()> afterCommit)
    : db_(db), batchSize_(batchSize == 0 ? 1 : batchSize), afterCommit_(std::move(afterCommit)) {
  pending_.reserve(batchSize_);
}

void BatchWriter::Add(FileRecord record) {
  pending_.push_back(std::move(record));
  if (pending_.size() >= batchSize_) Flush();
}

void BatchWriter::Flush() {
  if (pending_.empty()) return;
  mvdb::Storage& storage = db_.storage();
  // The records of one file go in one batch (a few statements on a server);
  // records of one file keep their order.
  std::stable_sort(pending_.begin(), pending_.end(),
                   [](const FileRecord& a, const FileRecord& b) { return a.file < b.file; });
  db_.Transaction([&] {
    std::vector<mvdb::KeyedRecord> run;
    for (std::size_t i = 0; i < pending_.size(); ++i) {
      run.push_back(mvdb::KeyedRecord{pending_[i].key, pending_[i].record.Text()});
      if (i + 1 == pending_.size() || pending_[i + 1].file != pending_[i].file) {
        storage.PutMany(pending_[i].file, run);
        run.clear();
      }
    }
  });
  written_ += static_cast<long>(pending_.size());
  pending_.clear();
  if (afterCommit_) afterCommit_();
}

}  // namespace morvane::demo
