// A connection to a PostgreSQL server through libpq, its results, the binary
// forms of parameters, and the one place where the server's failures become
// DbErrors. Internal to the PostgreSQL backend.
#pragma once

#include <libpq-fe.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "mvdb/errors.h"
#include "mvdb/file_kind.h"

namespace mvdb::postgres {

/// Type ids of the parameters the engine sends.
inline constexpr Oid kBytea = 17;
inline constexpr Oid kInt8 = 20;
inline constexpr Oid kText = 25;
inline constexpr Oid kFloat8 = 701;
inline constexpr Oid kByteaArray = 1001;
inline constexpr Oid kFloat8Array = 1022;

/// A parameter in binary form.
struct Param {
  Oid type = kBytea;
  std::string bytes;
};

Param Bytes(std::string_view bytes);
Param Text(std::string_view text);
Param Float8(double value);
/// A one-dimensional array of bytea.
Param ByteaArray(const std::vector<std::string_view>& items);
/// A one-dimensional array of float8, nullopt being NULL.
Param Float8Array(const std::vector<std::optional<double>>& items);

/// A result, cleared on destruction. Binary columns.
class Result {
 public:
  explicit Result(PGresult* result) : result_(result) {}
  Result(Result&& other) noexcept : result_(other.result_) { other.result_ = nullptr; }
  Result(const Result&) = delete;
  Result& operator=(const Result&) = delete;
  ~Result() { PQclear(result_); }

  int Rows() const { return PQntuples(result_); }
  bool IsNull(int row, int column) const { return PQgetisnull(result_, row, column) != 0; }
  /// Column bytes (bytea, text), valid while the result lives.
  std::string_view Bytes(int row, int column) const;
  /// An int8 or bool column.
  long long Int(int row, int column) const;
  /// The command's count of rows ("INSERT 0 1" gives 1).
  long long Affected() const;
  PGresult* get() const { return result_; }

 private:
  PGresult* result_;
};

/// One connection, closed on destruction.
class Connection {
 public:
  /// Connects, signing in with `credentials` (file_kind.h). Throws DbError
  /// kPasswordNeeded when the server wants a password that was not given or
  /// that it refused, kSignInRefused when it refused the sign-in otherwise
  /// (known by the server's SQLSTATE, whatever the language of its
  /// messages), else kIo "cannot connect to database <shown>: <the server's
  /// or libpq's reason, one line>". Waits at most the address's
  /// connect_timeout for each host.
  Connection(const std::string& conninfo, std::string shown, const Credentials& credentials = {});
  /// A new connection to the server and database of `other`, signed in as
  /// it was (its password included). Throws as the constructor.
  static std::unique_ptr<Connection> SameAs(const Connection& other);
  /// Not connected yet (SameAs's first step); the key is private.
  struct Unconnected {
   private:
    friend class Connection;
    Unconnected() = default;
  };
  Connection(Unconnected, std::string shown) : shown_(std::move(shown)) {}
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  const std::string& Shown() const { return shown_; }
  /// True when no transaction is open on the connection.
  bool Idle() const { return PQtransactionStatus(conn_) == PQTRANS_IDLE; }
  /// `text` quoted as an SQL identifier (libpq's escaping, whatever it holds).
  std::string Identifier(std::string_view text) const;
  /// `text` quoted as an SQL string literal.
  std::string Literal(std::string_view text) const;
  /// The server's SCRAM verifier of a password for `user`, made here: the
  /// password itself never reaches the server. Throws kIo.
  std::string PasswordVerifier(std::string_view user, std::string_view password) const;
  /// Runs statements without parameters (several allowed), text results.
  /// Throws as Fail.
  Result Exec(const std::string& sql);
  /// Runs one statement with binary parameters and results. `keep` prepares
  /// it once for the connection's lifetime (statements run often); otherwise
  /// it is parsed each time. Throws as Fail.
  Result Run(const std::string& sql, const std::vector<Param>& params = {}, bool keep = false);
  /// Sends a statement without parameters and returns at once; Take(ticket)
  /// gives its result (binary). Statements run meanwhile first collect it, so
  /// the server prepares the next batch of a scan while the last is used.
  int Send(const std::string& sql);
  /// The result of a sent statement. Throws as Fail.
  Result Take(int ticket);
  /// Forgets a sent statement's result (when it is not wanted any more).
  void Discard(int ticket) noexcept;
  /// Runs a COPY ... TO STDOUT statement (no parameters) and gives each of
  /// its data messages to `message` as it arrives. True once the copy has
  /// ended; false as soon as `message` returns false: the copy is then left
  /// unfinished and the connection is fit only to be closed. Throws as Fail.
  bool CopyOut(const std::string& sql, const std::function<bool(std::string_view)>& message);
  /// From any thread: makes the connection's reads and writes fail at once
  /// (a thread waiting for the server is woken); the connection is then fit
  /// only to be closed.
  void Interrupt() noexcept;
  /// Throws the DbError of a failed result: kIo with the server's message,
  /// worded for people when the cause is known (another writer holds the
  /// database, the connection is lost, the database is read-only). `what`
  /// says what was being done.
  [[noreturn]] void Fail(const PGresult* result, const std::string& what) const;

 private:
  /// Connects with libpq's option lists (each ended by nullptr). Throws as
  /// the public constructor.
  void Connect(const char* const* keywords, const char* const* values, bool expandDbname);
  Result Checked(PGresult* result, const std::string& sql);
  /// Collects the result of the statement in flight, if any, for its Take.
  void Land();

  PGconn* conn_ = nullptr;
  int inFlight_ = 0;                               // ticket of the statement sent, not yet collected
  int lastTicket_ = 0;
  std::unordered_map<int, PGresult*> landed_;      // results collected before their Take
  std::unordered_map<int, std::string> sent_;      // SQL text by ticket, for messages
  std::string shown_;
  std::unordered_map<std::string, std::string> prepared_;  // SQL text -> statement name
};

/// The first line of a libpq or server message, without its "ERROR:" label.
std::string OneLine(std::string_view message);

}  // namespace mvdb::postgres
