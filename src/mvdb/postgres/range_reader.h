// One range of a large scan, streamed by a server process of its own while
// the caller uses what came before: a thread reads it, on a helper connection,
// in the snapshot of the scan's transaction, as one binary COPY (no batch is
// asked for: the server sends as fast as the thread takes). Internal to the
// PostgreSQL backend.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "mvdb/postgres/connection.h"

namespace mvdb::postgres {

/// Rows (key, record) read together, in key order.
struct RowBatch {
  std::string bytes;                                           // each row's key then its record, row after row
  std::vector<std::pair<std::uint32_t, std::uint32_t>> sizes;  // each row's key size and record size
};

/// Reads the rows of a table whose keys are `from` or above and below `below`
/// (either bound may be absent), in key order, as the transaction that
/// exported `snapshot` sees them. At most kQueued batches wait for the
/// caller; the thread waits then.
class RangeReader {
 public:
  /// Batches queued at most.
  static constexpr std::size_t kQueued = 128;

  /// Starts reading at once on `helper` (idle, its search path on the
  /// database's schema), which the reader owns until Finish. `table` is a
  /// trusted table name; `snapshot` must stay valid (its exporting
  /// transaction open) until the reader is finished.
  RangeReader(std::unique_ptr<Connection> helper, std::string snapshot, const std::string& table,
              const std::optional<std::string>& from, const std::optional<std::string>& below, int batchRows);
  /// Stops the reading and waits for the thread; the helper is closed.
  ~RangeReader();
  RangeReader(const RangeReader&) = delete;
  RangeReader& operator=(const RangeReader&) = delete;

  /// The next batch, waiting for it; nullopt once every row was given.
  /// Throws the DbError that stopped the reading.
  std::optional<RowBatch> Next();
  /// Stops the reading, waits for the thread and gives the helper back when
  /// it read its whole range and is idle again; otherwise (stopped halfway,
  /// failed) the helper is closed and null is returned.
  std::unique_ptr<Connection> Finish();

 private:
  void Read(const std::string& copy, int batchRows);
  /// False when the reader is being stopped.
  bool Queue(RowBatch rows);
  void Stop() noexcept;

  std::unique_ptr<Connection> helper_;
  const std::string snapshot_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<RowBatch> batches_;  // guarded by mutex_, as are the five below
  bool done_ = false;             // the thread has ended
  bool stop_ = false;
  bool interrupted_ = false;      // the helper's socket was shut to stop an unfinished read
  bool fit_ = false;              // the whole range was read and the helper is idle again
  std::exception_ptr failure_;
  std::thread thread_;  // last: started once everything it uses is made
};

}  // namespace mvdb::postgres
