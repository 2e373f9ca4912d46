#include "mvdb/postgres/range_reader.h"

#include <utility>

namespace mvdb::postgres {

RangeReader::RangeReader(Connection& helper, std::string snapshot, const std::string& table, std::string from,
                         int batch)
    : helper_(helper), snapshot_(std::move(snapshot)), from_(std::move(from)),
      thread_([this, table, batch] { Read(table, batch); }) {}

RangeReader::~RangeReader() {
  {
    const std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

std::optional<Result> RangeReader::Next() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !batches_.empty() || done_; });
  if (!batches_.empty()) {
    Result rows = std::move(batches_.front());
    batches_.pop_front();
    lock.unlock();
    changed_.notify_all();
    return rows;
  }
  if (failure_) std::rethrow_exception(failure_);
  return std::nullopt;
}

bool RangeReader::Queue(Result rows) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return batches_.size() < kQueued || stop_; });
  if (stop_) return false;
  batches_.push_back(std::move(rows));
  lock.unlock();
  changed_.notify_all();
  return true;
}

void RangeReader::Read(const std::string& table, int batch) {
  std::exception_ptr failure;
  try {
    // The snapshot is imported first thing: the rows are those the
    // exporting transaction sees, whatever was committed since.
    helper_.Exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    helper_.Exec("SET TRANSACTION SNAPSHOT " + helper_.Literal(snapshot_));
    helper_.Run("DECLARE mvdb_range BINARY NO SCROLL CURSOR FOR SELECT key, record FROM " + table +
                    " WHERE key >= $1 ORDER BY key",
                {Bytes(from_)});
    const std::string fetch = "FETCH FORWARD " + std::to_string(batch) + " FROM mvdb_range";
    for (int next = helper_.Send(fetch); next != 0;) {
      Result rows = helper_.Take(next);
      const bool more = rows.Rows() == batch;
      next = more ? helper_.Send(fetch) : 0;
      if (!Queue(std::move(rows))) {
        if (next != 0) helper_.Discard(next);
        break;
      }
    }
  } catch (...) {
    failure = std::current_exception();
  }
  try {
    helper_.Exec("ROLLBACK");  // read only: nothing to keep; the cursor goes with it
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  {
    const std::lock_guard lock(mutex_);
    done_ = true;
    failure_ = failure;
  }
  changed_.notify_all();
}

}  // namespace mvdb::postgres
