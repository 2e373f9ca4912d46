#include "mvdb/postgres/range_reader.h"

#include <cstring>

namespace mvdb::postgres {
namespace {

// A key as an SQL expression: hexadecimal digits only, whatever its bytes (a
// COPY takes no parameters). The two halves of a scan share their bound, so
// the bound only balances the work: no key is read twice or missed.
std::string KeyExpression(const std::string& key) {
  static const char* const kHex = "0123456789abcdef";
  std::string out = "decode('";
  for (unsigned char c : key) {
    out += kHex[c >> 4];
    out += kHex[c & 15];
  }
  return out + "', 'hex')";
}

std::string CopyOfRange(const std::string& table, const std::optional<std::string>& from,
                        const std::optional<std::string>& below) {
  std::string where;
  if (from) where += " AND key >= " + KeyExpression(*from);
  if (below) where += " AND key < " + KeyExpression(*below);
  if (!where.empty()) where.replace(0, 4, " WHERE");
  return "COPY (SELECT key, record FROM " + table + where + " ORDER BY key) TO STDOUT (FORMAT binary)";
}

[[noreturn]] void Malformed() { throw DbError(ErrorCode::kIo, "the server sent a scan's rows in an unknown form"); }

std::uint32_t BigEndian(std::string_view bytes, std::size_t at, std::size_t size) {
  if (at + size > bytes.size()) Malformed();
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < size; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// One message of a binary copy of (key, record) rows: the copy's header
// first (first message only), then one row, or the end mark. Appends the
// row to `batch`; false at the end mark.
bool AppendRow(std::string_view message, bool& headerRead, RowBatch& batch) {
  std::size_t at = 0;
  if (!headerRead) {
    static constexpr char kSignature[] = "PGCOPY\n\377\r\n";  // and its terminating zero: 11 bytes
    if (message.size() < 19 || std::memcmp(message.data(), kSignature, 11) != 0) Malformed();
    at = 19 + BigEndian(message, 15, 4);  // past the flags and the header's extension
    headerRead = true;
    if (at == message.size()) return true;  // a header sent alone
  }
  const std::uint32_t fields = BigEndian(message, at, 2);
  if (fields == 0xFFFF) return false;
  if (fields != 2) Malformed();
  const std::uint32_t keySize = BigEndian(message, at + 2, 4);
  const std::size_t recordAt = at + 6 + keySize;
  const std::uint32_t recordSize = BigEndian(message, recordAt, 4);
  if (recordAt + 4 + recordSize != message.size()) Malformed();
  batch.bytes.append(message.substr(at + 6, keySize));
  batch.bytes.append(message.substr(recordAt + 4));
  batch.sizes.emplace_back(keySize, recordSize);
  return true;
}

}  // namespace

RangeReader::RangeReader(std::unique_ptr<Connection> helper, std::string snapshot, const std::string& table,
                         const std::optional<std::string>& from, const std::optional<std::string>& below,
                         int batchRows)
    : helper_(std::move(helper)), snapshot_(std::move(snapshot)),
      thread_([this, copy = CopyOfRange(table, from, below), batchRows] { Read(copy, batchRows); }) {}

RangeReader::~RangeReader() { Stop(); }

void RangeReader::Stop() noexcept {
  {
    const std::lock_guard lock(mutex_);
    stop_ = true;
    // A thread waiting for the server's next row is woken at once; the
    // helper is then fit only to be closed.
    if (!done_ && helper_) {
      helper_->Interrupt();
      interrupted_ = true;
    }
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

std::unique_ptr<Connection> RangeReader::Finish() {
  Stop();
  std::unique_ptr<Connection> helper = std::move(helper_);
  if (!fit_) helper.reset();
  return helper;
}

std::optional<RowBatch> RangeReader::Next() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !batches_.empty() || done_; });
  if (!batches_.empty()) {
    RowBatch rows = std::move(batches_.front());
    batches_.pop_front();
    lock.unlock();
    changed_.notify_all();
    return rows;
  }
  if (failure_) std::rethrow_exception(failure_);
  return std::nullopt;
}

bool RangeReader::Queue(RowBatch rows) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return batches_.size() < kQueued || stop_; });
  if (stop_) return false;
  batches_.push_back(std::move(rows));
  lock.unlock();
  changed_.notify_all();
  return true;
}

void RangeReader::Read(const std::string& copy, int batchRows) {
  std::exception_ptr failure;
  bool fit = false;
  try {
    // The snapshot is imported first thing: the rows are those the
    // exporting transaction sees, whatever was committed since.
    helper_->Exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    helper_->Exec("SET TRANSACTION SNAPSHOT " + helper_->Literal(snapshot_));
    // Each batch is given the room the last one took, so that its bytes are
    // copied once.
    auto fresh = [batchRows](std::size_t bytes) {
      RowBatch rows;
      rows.bytes.reserve(bytes + bytes / 8);
      rows.sizes.reserve(static_cast<std::size_t>(batchRows));
      return rows;
    };
    RowBatch batch = fresh(0);
    bool headerRead = false, ended = false;
    const bool whole = helper_->CopyOut(copy, [&](std::string_view message) {
      if (ended || !AppendRow(message, headerRead, batch)) {
        ended = true;
        return true;
      }
      if (batch.sizes.size() < static_cast<std::size_t>(batchRows)) return true;
      return Queue(std::exchange(batch, fresh(batch.bytes.size())));
    });
    if (whole) {
      if (!ended) Malformed();
      if (!batch.sizes.empty()) Queue(std::move(batch));
      helper_->Exec("ROLLBACK");  // read only: nothing to keep
      fit = true;
    }
  } catch (...) {
    failure = std::current_exception();
  }
  {
    const std::lock_guard lock(mutex_);
    done_ = true;
    fit_ = fit && !interrupted_;
    failure_ = failure;
  }
  changed_.notify_all();
}

}  // namespace mvdb::postgres
