// The second half of a large scan, read by a second server process while the
// first half is read and used: a thread of its own streams it, on a
// connection of its own, in the snapshot of the scan's transaction. Internal
// to the PostgreSQL backend.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "mvdb/postgres/connection.h"

namespace mvdb::postgres {

/// Reads the rows (key, record) of a table whose keys are `from` or above, in
/// key order, in batches, as the transaction that exported `snapshot` sees
/// them. At most kQueued batches wait for the caller; the thread waits then.
class RangeReader {
 public:
  /// Batches queued at most.
  static constexpr std::size_t kQueued = 128;

  /// Starts reading at once. `helper` (idle, its search path on the
  /// database's schema) is the thread's until the reader is destroyed;
  /// `table` is a trusted table name; `snapshot` stays valid while the
  /// exporting transaction is open, which must outlive the reader's start.
  RangeReader(Connection& helper, std::string snapshot, const std::string& table, std::string from, int batch);
  /// Stops the reading (after the batch on its way) and waits for the thread;
  /// the helper's transaction is ended.
  ~RangeReader();
  RangeReader(const RangeReader&) = delete;
  RangeReader& operator=(const RangeReader&) = delete;

  /// The next batch, waiting for it; nullopt once every row was given.
  /// Throws the DbError that stopped the reading.
  std::optional<Result> Next();

 private:
  void Read(const std::string& table, int batch);
  /// False when the reader is being destroyed.
  bool Queue(Result rows);

  Connection& helper_;
  const std::string snapshot_;
  const std::string from_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Result> batches_;  // guarded by mutex_, as are the three below
  bool done_ = false;
  bool stop_ = false;
  std::exception_ptr failure_;
  std::thread thread_;  // last: started once everything it uses is made
};

}  // namespace mvdb::postgres
