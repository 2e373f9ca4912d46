// The users side of a server database (see mvdb/server_accounts.h) on the
// association's schema: its two group roles and their rights, the logins, and
// the audit trail. Internal to the PostgreSQL backend.
#pragma once

#include <string>

#include "mvdb/postgres/connection.h"
#include "mvdb/server_accounts.h"

namespace mvdb::postgres {

class PostgresAccounts final : public ServerAccounts {
 public:
  /// The connection is not owned; its search path is the schema's.
  PostgresAccounts(Connection& connection, std::string schema) : db_(connection), schema_(std::move(schema)) {}

  std::string SessionUser() override;
  void AddLogin(const std::string& name, std::string_view password, bool writer) override;
  void RemoveLogin(const std::string& name) override;
  std::vector<ServerLogin> Logins() override;
  void RecordOutput(const AuditRecord& output) override;
  std::vector<AuditRecord> AuditTrail(const std::string& since) override;

 private:
  /// Makes the groups when missing and (again) gives them their rights on
  /// every table of the schema and on the tables the signed-in user makes
  /// later; the audit trail stays out of their reach but for its function.
  void SetUpGroups();
  /// The statements that give the groups their rights on the tables `owner`
  /// makes later ("" for the signed-in user).
  std::string DefaultRights(const std::string& owner) const;
  std::string Group(bool writers) const;

  Connection& db_;
  std::string schema_;
};

/// Makes the schema's audit trail when it has none: the table mv_audit and
/// the function mv_record_output, which only its owner may call until the
/// groups are given it. Runs in the caller's transaction.
void MakeAuditTrail(Connection& db, const std::string& schema);

}  // namespace mvdb::postgres
