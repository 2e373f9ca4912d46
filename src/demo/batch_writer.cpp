#include "demo/batch_writer.h"

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
  db_.Transaction([this] {
    for (const FileRecord& r : pending_) {
      mvdb::DynArray record = File(r.file).DBNew(r.key);
      record.SetText(r.record.Text());
      record.DBWrite();
    }
  });
  written_ += static_cast<long>(pending_.size());
  pending_.clear();
  if (afterCommit_) afterCommit_();
}

mvdb::DbFile& BatchWriter::File(const std::string& name) {
  auto found = files_.find(name);
  if (found == files_.end()) found = files_.emplace(name, db_.DBOpen(name)).first;
  return found->second;
}

}  // namespace morvane::demo
