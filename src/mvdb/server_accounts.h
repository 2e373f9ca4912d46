// The users of a server database: who the server signed in, the logins of the
// association's users with the rights the server enforces for them, and the
// audit trail of the outputs made. An embedded database has none of these
// (Storage::Accounts is null): its users are the DROITS records alone.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mvdb {

/// A login of the association's users on the server.
struct ServerLogin {
  std::string name;
  bool writer = false;  ///< may write the association's tables; else reads them only
};

/// One output of the audit trail.
struct AuditRecord {
  std::string at;    ///< "YYYY-MM-DD HH:MM:SS" in the server's time zone, set by the server
  std::string user;  ///< the login that made it, set by the server
  std::string kind;  ///< list, planning, export, letter-type or letter-merge
  std::string criteria;
  long long rows = 0;
  std::string files;  ///< the files written, one a line
};

/// What the server knows of the database's users. The association's schema S
/// has two group roles: "S_readers" (read every table of S, tables made later
/// included) and "S_writers" (read and write them); every login of the
/// association is a member of one. The audit trail is a table only its owner
/// reads and changes; others append to it through a function that records
/// the login the server authenticated and the time.
/// Every call runs on the database's connection: inside
/// Database::Transaction it is part of that transaction. Failures are
/// DbError kIo with the server's own words.
class ServerAccounts {
 public:
  virtual ~ServerAccounts() = default;

  /// The login the server authenticated for this connection.
  virtual std::string SessionUser() = 0;
  /// Creates the login `name` with `password` (sent as a SCRAM verifier made
  /// here, never as text) and makes it a member of the readers, or of the
  /// writers. Makes the groups, their rights and the audit trail first when
  /// they are missing. Needs the right to create roles; fails when the login
  /// exists.
  virtual void AddLogin(const std::string& name, std::string_view password, bool writer) = 0;
  /// Drops a login of the association, after giving what it owns in this
  /// database to the signed-in user. Throws kInvalidArgument, changing
  /// nothing, when `name` is no login of the association.
  virtual void RemoveLogin(const std::string& name) = 0;
  /// The logins of the association, by name.
  virtual std::vector<ServerLogin> Logins() = 0;
  /// Appends an output to the audit trail, in a short write transaction of
  /// its own, even on a database opened read-only (the one thing such a
  /// database writes). Throws kIo when called inside a transaction, when the
  /// database has no audit trail or the server refuses.
  virtual void RecordOutput(const AuditRecord& output) = 0;
  /// The outputs recorded from the day `since` ("YYYY-MM-DD"; empty: all),
  /// oldest first. Only the trail's owner (the database's administrator) may
  /// read it.
  virtual std::vector<AuditRecord> AuditTrail(const std::string& since) = 0;
};

/// The login a server address signs in as when no user is given: the
/// address's own, else PGUSER, else the login name of the process.
std::string DefaultServerUser(const std::string& address);

}  // namespace mvdb
