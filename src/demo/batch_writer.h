// BatchWriter: writes generated records in transactions of a fixed size.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "demo/record_text.h"
#include "mvdb/database.h"

namespace morvane::demo {

/// Buffers records and writes each full buffer in one transaction. The
/// database must outlive the writer. Call Flush() at the end: the destructor
/// does not write (a failure must reach the caller).
class BatchWriter {
 public:
  /// `afterCommit` (may be empty) runs after each committed batch.
  BatchWriter(mvdb::Database& db, std::size_t batchSize, std::function<void()> afterCommit = {});
  /// Queues one record; commits the buffer when it is full. Throws DbError.
  void Add(FileRecord record);
  /// Commits what is queued. Throws DbError (the batch is rolled back).
  void Flush();
  /// Records committed so far.
  long Written() const { return written_; }

 private:
  mvdb::Database& db_;
  std::size_t batchSize_;
  std::function<void()> afterCommit_;
  std::vector<FileRecord> pending_;
  long written_ = 0;
};

}  // namespace morvane::demo
