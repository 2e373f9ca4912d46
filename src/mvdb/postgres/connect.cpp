// Connecting and signing in: libpq's connection made step by step, so that
// the server's refusal comes with its SQLSTATE (a wrong password, an unknown
// login, a login not allowed) whatever the language of its messages; and the
// quoting of names and passwords for the statements that manage logins.
#include <poll.h>
#include <string.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "mvdb/postgres/connection.h"

namespace mvdb::postgres {
namespace {

using Clock = std::chrono::steady_clock;

// The connection's connect_timeout in seconds; 0 for none. libpq leaves the
// wait to the caller when the connection is made step by step.
int TimeoutSeconds(PGconn* conn) {
  PQconninfoOption* options = PQconninfo(conn);
  int seconds = 0;
  for (PQconninfoOption* o = options; o != nullptr && o->keyword != nullptr; ++o) {
    if (std::strcmp(o->keyword, "connect_timeout") == 0 && o->val != nullptr) seconds = std::atoi(o->val);
  }
  PQconninfoFree(options);
  return seconds <= 0 ? 0 : std::max(seconds, 2);  // libpq's own floor
}

// The host and port being tried, to give each host its own wait.
std::string Target(PGconn* conn) {
  const char* host = PQhost(conn);
  const char* port = PQport(conn);
  return std::string(host ? host : "") + ":" + (port ? port : "");
}

// Runs the connection's steps; false when the wait ran out.
bool Complete(PGconn* conn) {
  const int seconds = TimeoutSeconds(conn);
  std::string target = Target(conn);
  auto deadline = Clock::now() + std::chrono::seconds(seconds);
  PostgresPollingStatusType step = PGRES_POLLING_WRITING;
  while (step != PGRES_POLLING_OK && step != PGRES_POLLING_FAILED) {
    pollfd wait{PQsocket(conn), static_cast<short>(step == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
    int left = -1;
    if (seconds > 0) {
      left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
      if (left <= 0) return false;
    }
    if (wait.fd >= 0 && ::poll(&wait, 1, left) == 0) return false;
    step = PQconnectPoll(conn);
    if (const std::string now = Target(conn); now != target) {
      target = now;
      deadline = Clock::now() + std::chrono::seconds(seconds);
    }
  }
  return true;
}

// Takes the SQLSTATE out of a verbose message ("... failed: 28P01: password
// authentication failed ..."); "" when it holds none.
std::string TakeState(std::string& line) {
  for (std::size_t at = line.find(": "); at != std::string::npos; at = line.find(": ", at + 1)) {
    if (at + 9 > line.size() || line.compare(at + 7, 2, ": ") != 0) continue;
    bool code = true;
    for (std::size_t i = at + 2; i < at + 7; ++i) {
      const char c = line[i];
      code = code && ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'));
    }
    if (!code) continue;
    std::string state = line.substr(at + 2, 5);
    line.erase(at + 2, 7);
    return state;
  }
  return {};
}

// The server's reason itself, after libpq's "connection to server ... failed: ".
std::string Reason(const std::string& line) {
  const auto at = line.find("failed: ");
  return at == std::string::npos ? line : line.substr(at + 8);
}

}  // namespace

Connection::Connection(const std::string& conninfo, std::string shown, const Credentials& credentials)
    : shown_(std::move(shown)) {
  // Later settings win over the address's own.
  std::vector<const char*> keywords{"dbname"};
  std::vector<const char*> values{conninfo.c_str()};
  if (!credentials.user.empty()) {
    keywords.push_back("user");
    values.push_back(credentials.user.c_str());
  }
  std::string password(credentials.password);  // libpq needs it ended by NUL
  struct Wipe {
    std::string& text;
    ~Wipe() { ::explicit_bzero(text.data(), text.size()); }
  } wipe{password};
  if (!password.empty()) {
    keywords.push_back("password");
    values.push_back(password.c_str());
  }
  keywords.push_back(nullptr);
  values.push_back(nullptr);
  Connect(keywords.data(), values.data(), true);
}

std::unique_ptr<Connection> Connection::SameAs(const Connection& other) {
  // The options the other connection was made with, its password among them
  // (wiped once used).
  std::unique_ptr<PQconninfoOption, void (*)(PQconninfoOption*)> options(
      PQconninfo(other.conn_), [](PQconninfoOption* list) {
        for (PQconninfoOption* option = list; option && option->keyword; ++option) {
          if (option->val) ::explicit_bzero(option->val, std::strlen(option->val));
        }
        PQconninfoFree(list);
      });
  if (!options) throw DbError(ErrorCode::kIo, "cannot connect to database " + other.shown_ + ": out of memory");
  std::vector<const char*> keywords, values;
  for (const PQconninfoOption* option = options.get(); option->keyword; ++option) {
    if (option->val == nullptr) continue;
    keywords.push_back(option->keyword);
    values.push_back(option->val);
  }
  keywords.push_back(nullptr);
  values.push_back(nullptr);
  auto twin = std::make_unique<Connection>(Unconnected{}, other.shown_);
  twin->Connect(keywords.data(), values.data(), false);
  return twin;
}

void Connection::Connect(const char* const* keywords, const char* const* values, bool expandDbname) {
  conn_ = PQconnectStartParams(keywords, values, expandDbname ? 1 : 0);
  if (conn_ == nullptr) throw DbError(ErrorCode::kIo, "cannot connect to database " + shown_ + ": out of memory");
  PQsetErrorVerbosity(conn_, PQERRORS_VERBOSE);  // the server's refusals with their SQLSTATE
  // A connection that failed at once (no such socket) has its reason already.
  const bool inTime = PQstatus(conn_) == CONNECTION_BAD || Complete(conn_);
  if (inTime && PQstatus(conn_) == CONNECTION_OK) {
    PQsetErrorVerbosity(conn_, PQERRORS_DEFAULT);
    // The server's notices ("... does not exist, skipping") are not for users.
    PQsetNoticeProcessor(conn_, [](void*, const char*) {}, nullptr);
    return;
  }
  std::string line = inTime ? OneLine(PQerrorMessage(conn_)) : "timeout expired";
  const std::string state = TakeState(line);
  const std::string user = PQuser(conn_) ? PQuser(conn_) : "";
  const bool noPassword = inTime && PQconnectionNeedsPassword(conn_) != 0;
  PQfinish(conn_);
  conn_ = nullptr;
  if (noPassword)
    throw DbError(ErrorCode::kPasswordNeeded, "the server asks for the password of " + user + " to sign in to database " +
                                                  shown_ + ", and none was given");
  if (state.starts_with("28")) {
    throw DbError(state == "28P01" ? ErrorCode::kPasswordNeeded : ErrorCode::kSignInRefused,
                  "the server refused the sign-in of " + user + " to database " + shown_ + ": " + Reason(line));
  }
  throw DbError(ErrorCode::kIo, "cannot connect to database " + shown_ + ": " + line);
}

std::string Connection::Identifier(std::string_view text) const {
  std::unique_ptr<char, decltype(&PQfreemem)> quoted(PQescapeIdentifier(conn_, text.data(), text.size()), PQfreemem);
  if (!quoted) throw DbError(ErrorCode::kIo, "database " + shown_ + ": " + OneLine(PQerrorMessage(conn_)));
  return quoted.get();
}

std::string Connection::Literal(std::string_view text) const {
  std::unique_ptr<char, decltype(&PQfreemem)> quoted(PQescapeLiteral(conn_, text.data(), text.size()), PQfreemem);
  if (!quoted) throw DbError(ErrorCode::kIo, "database " + shown_ + ": " + OneLine(PQerrorMessage(conn_)));
  return quoted.get();
}

std::string Connection::PasswordVerifier(std::string_view user, std::string_view password) const {
  const std::string name(user);
  std::string text(password);
  char* verifier = PQencryptPasswordConn(conn_, text.c_str(), name.c_str(), "scram-sha-256");
  ::explicit_bzero(text.data(), text.size());
  if (verifier == nullptr)
    throw DbError(ErrorCode::kIo, "cannot make the password's verifier: " + OneLine(PQerrorMessage(conn_)));
  std::string out(verifier);
  PQfreemem(verifier);
  return out;
}

}  // namespace mvdb::postgres
