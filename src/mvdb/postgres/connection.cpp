#include "mvdb/postgres/connection.h"

#include <endian.h>
#include <sys/socket.h>

#include <cstdint>
#include <cstring>

namespace mvdb::postgres {
namespace {

void AppendInt32(std::string& out, std::int32_t value) {
  const std::uint32_t big = htobe32(static_cast<std::uint32_t>(value));
  out.append(reinterpret_cast<const char*>(&big), 4);
}

std::string Float8Bytes(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, 8);
  bits = htobe64(bits);
  return std::string(reinterpret_cast<const char*>(&bits), 8);
}

// The binary array header: one dimension of `count` elements from 1.
std::string ArrayHeader(Oid element, std::size_t count, bool hasNull) {
  std::string out;
  AppendInt32(out, 1);
  AppendInt32(out, hasNull ? 1 : 0);
  AppendInt32(out, static_cast<std::int32_t>(element));
  AppendInt32(out, static_cast<std::int32_t>(count));
  AppendInt32(out, 1);
  return out;
}

bool StartsWith(const char* text, const char* prefix) {
  return text != nullptr && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

}  // namespace

Param Bytes(std::string_view bytes) { return Param{kBytea, std::string(bytes)}; }
Param Text(std::string_view text) { return Param{kText, std::string(text)}; }
Param Float8(double value) { return Param{kFloat8, Float8Bytes(value)}; }

Param ByteaArray(const std::vector<std::string_view>& items) {
  std::size_t size = 20;
  for (std::string_view item : items) size += 4 + item.size();
  Param param{kByteaArray, ArrayHeader(kBytea, items.size(), false)};
  param.bytes.reserve(size);
  for (std::string_view item : items) {
    AppendInt32(param.bytes, static_cast<std::int32_t>(item.size()));
    param.bytes.append(item);
  }
  return param;
}

Param Float8Array(const std::vector<std::optional<double>>& items) {
  bool hasNull = false;
  for (const auto& item : items) hasNull = hasNull || !item;
  Param param{kFloat8Array, ArrayHeader(kFloat8, items.size(), hasNull)};
  param.bytes.reserve(20 + items.size() * 12);
  for (const auto& item : items) {
    if (!item) {
      AppendInt32(param.bytes, -1);
      continue;
    }
    AppendInt32(param.bytes, 8);
    param.bytes += Float8Bytes(*item);
  }
  return param;
}

std::string_view Result::Bytes(int row, int column) const {
  return std::string_view(PQgetvalue(result_, row, column), static_cast<std::size_t>(PQgetlength(result_, row, column)));
}

long long Result::Int(int row, int column) const {
  const std::string_view bytes = Bytes(row, column);
  if (bytes.size() == 1) return bytes[0] != 0;  // bool
  std::uint64_t big = 0;
  std::memcpy(&big, bytes.data(), std::min<std::size_t>(8, bytes.size()));
  return static_cast<long long>(be64toh(big));
}

long long Result::Affected() const {
  const char* count = PQcmdTuples(result_);
  return count && *count ? std::atoll(count) : 0;
}

std::string OneLine(std::string_view message) {
  std::string line(message.substr(0, message.find('\n')));
  for (const std::string label : {"ERROR:  ", "FATAL:  ", "PANIC:  "}) {
    for (auto at = line.find(label); at != std::string::npos; at = line.find(label)) line.erase(at, label.size());
  }
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
  return line;
}

Connection::~Connection() {
  for (auto& [ticket, result] : landed_) PQclear(result);
  PQfinish(conn_);
}

void Connection::Land() {
  if (inFlight_ == 0) return;
  PGresult* result = PQgetResult(conn_);
  while (PGresult* more = PQgetResult(conn_)) PQclear(more);  // the end of the statement's results
  landed_[inFlight_] = result;
  inFlight_ = 0;
}

int Connection::Send(const std::string& sql) {
  Land();
  const int ticket = ++lastTicket_;
  sent_[ticket] = sql;
  if (PQsendQueryParams(conn_, sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 1) == 0) {
    landed_[ticket] = nullptr;  // Take reports the connection's error
  } else {
    inFlight_ = ticket;
  }
  return ticket;
}

Result Connection::Take(int ticket) {
  if (inFlight_ == ticket) Land();
  auto it = landed_.find(ticket);
  PGresult* result = it == landed_.end() ? nullptr : it->second;
  if (it != landed_.end()) landed_.erase(it);
  const std::string sql = std::move(sent_[ticket]);
  sent_.erase(ticket);
  return Checked(result, sql);
}

void Connection::Discard(int ticket) noexcept {
  if (inFlight_ == ticket) Land();
  if (auto it = landed_.find(ticket); it != landed_.end()) {
    PQclear(it->second);
    landed_.erase(it);
  }
  sent_.erase(ticket);
}

Result Connection::Checked(PGresult* result, const std::string& sql) {
  const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return Result(result);
  Result owned(result);
  Fail(result, "the server failed on \"" + sql.substr(0, 200) + "\"");
}

Result Connection::Exec(const std::string& sql) {
  Land();
  return Checked(PQexec(conn_, sql.c_str()), sql);
}

Result Connection::Run(const std::string& sql, const std::vector<Param>& params, bool keep) {
  std::vector<Oid> types;
  std::vector<const char*> values;
  std::vector<int> lengths;
  std::vector<int> formats(params.size(), 1);
  for (const Param& param : params) {
    types.push_back(param.type);
    values.push_back(param.bytes.data());
    lengths.push_back(static_cast<int>(param.bytes.size()));
  }
  const int count = static_cast<int>(params.size());
  Land();
  if (!keep) {
    return Checked(PQexecParams(conn_, sql.c_str(), count, types.data(), values.data(), lengths.data(),
                                formats.data(), 1),
                   sql);
  }
  auto it = prepared_.find(sql);
  if (it == prepared_.end()) {
    const std::string name = "mvdb_" + std::to_string(prepared_.size() + 1);
    Checked(PQprepare(conn_, name.c_str(), sql.c_str(), count, types.data()), sql);
    it = prepared_.emplace(sql, name).first;
  }
  return Checked(
      PQexecPrepared(conn_, it->second.c_str(), count, values.data(), lengths.data(), formats.data(), 1), sql);
}

bool Connection::CopyOut(const std::string& sql, const std::function<bool(std::string_view)>& message) {
  Land();
  PGresult* started = PQexec(conn_, sql.c_str());
  if (PQresultStatus(started) != PGRES_COPY_OUT) {
    Checked(started, sql);
    throw DbError(ErrorCode::kIo, "the server ran \"" + sql.substr(0, 200) + "\" as no copy");
  }
  PQclear(started);
  char* data = nullptr;
  int size = 0;
  while ((size = PQgetCopyData(conn_, &data, 0)) >= 0) {
    const std::unique_ptr<char, void (*)(void*)> owned(data, PQfreemem);
    if (!message(std::string_view(data, static_cast<std::size_t>(size)))) return false;
  }
  if (size == -2) Checked(nullptr, sql);  // the connection broke: throws libpq's reason
  // The copy's own result follows its data: an error found halfway, or its end.
  PGresult* end = PQgetResult(conn_);
  while (PGresult* more = PQgetResult(conn_)) PQclear(more);
  Checked(end, sql);
  return true;
}

void Connection::Interrupt() noexcept {
  const int socket = PQsocket(conn_);
  if (socket >= 0) ::shutdown(socket, SHUT_RDWR);
}

void Connection::Fail(const PGresult* result, const std::string& what) const {
  const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
  const std::string message = primary ? OneLine(primary) : OneLine(PQerrorMessage(conn_));
  // A failure without the server's code is libpq's own: the connection broke.
  if (PQstatus(conn_) == CONNECTION_BAD || state == nullptr || StartsWith(state, "08") || StartsWith(state, "57P"))
    throw DbError(ErrorCode::kIo, "lost the connection to database " + shown_ + ": " + message);
  if (StartsWith(state, "55P03") || StartsWith(state, "40P01") || StartsWith(state, "40001"))
    throw DbError(ErrorCode::kIo, "another write is in progress on " + shown_ + "; try again once it has ended");
  if (StartsWith(state, "25006"))
    throw DbError(ErrorCode::kIo, "database " + shown_ + " cannot be written: " + message);
  if (StartsWith(state, "42501")) throw DbError(ErrorCode::kIo, "database " + shown_ + ": " + message);
  throw DbError(ErrorCode::kIo, what + ": " + message);
}

}  // namespace mvdb::postgres
