// Logins, group roles and the audit trail of an association's schema.
//   S_readers   USAGE on S, SELECT on its tables (made later too)
//   S_writers   USAGE and CREATE on S, SELECT, INSERT, UPDATE, DELETE on its
//               tables and the use of its sequences (made later too)
//   mv_audit(id, at, login, kind, criteria, rows, files)
//               no right for anyone but its owner; rows are appended by the
//               SECURITY DEFINER function mv_record_output(kind, criteria,
//               rows, files), which sets `login` to session_user and `at`
//               to the server's clock
// Names and passwords are values: names are quoted by libpq, passwords go as
// SCRAM verifiers made on the client.
#include "mvdb/postgres/accounts.h"

#include "mvdb/postgres/address.h"

namespace mvdb::postgres {
namespace {

constexpr std::size_t kLongestName = 63;  // the server's limit for a name, in bytes
constexpr const char* kRecordSignature = "mv_record_output(text, text, bigint, text)";

bool Exists(Connection& db, const std::string& sql, const std::string& value) {
  return db.Run(sql, {Text(value)}).Int(0, 0) != 0;
}

bool RoleExists(Connection& db, const std::string& name) {
  return Exists(db, "SELECT EXISTS(SELECT 1 FROM pg_roles WHERE rolname = $1)", name);
}

bool HasAuditTrail(Connection& db, const std::string& schema) {
  return Exists(db, "SELECT to_regclass(quote_ident($1) || '.mv_audit') IS NOT NULL", schema);
}

}  // namespace

void MakeAuditTrail(Connection& db, const std::string& schema) {
  const std::string s = db.Identifier(schema);
  if (HasAuditTrail(db, schema)) return;
  db.Exec("CREATE TABLE " + s +
          ".mv_audit(id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, at timestamptz NOT NULL, "
          "login text NOT NULL, kind text NOT NULL, criteria text NOT NULL, rows bigint NOT NULL, "
          "files text NOT NULL);"
          "CREATE OR REPLACE FUNCTION " + s + "." + kRecordSignature +
          " RETURNS void LANGUAGE sql SECURITY DEFINER SET search_path = " + s +
          ", pg_temp AS $$INSERT INTO " + s +
          ".mv_audit(at, login, kind, criteria, rows, files) "
          "VALUES (clock_timestamp(), session_user, $1, $2, $3, $4)$$;"
          "REVOKE ALL ON FUNCTION " + s + "." + kRecordSignature + " FROM PUBLIC");
}

std::string PostgresAccounts::Group(bool writers) const { return schema_ + (writers ? "_writers" : "_readers"); }

std::string PostgresAccounts::SessionUser() {
  return std::string(db_.Run("SELECT session_user::text").Bytes(0, 0));
}

std::string PostgresAccounts::DefaultRights(const std::string& owner) const {
  const std::string head =
      "ALTER DEFAULT PRIVILEGES " + (owner.empty() ? "" : "FOR ROLE " + db_.Identifier(owner) + " ") +
      "IN SCHEMA " + db_.Identifier(schema_) + " GRANT ";
  const std::string readers = db_.Identifier(Group(false)), writers = db_.Identifier(Group(true));
  return head + "SELECT ON TABLES TO " + readers + ";" + head + "SELECT, INSERT, UPDATE, DELETE ON TABLES TO " +
         writers + ";" + head + "USAGE, SELECT, UPDATE ON SEQUENCES TO " + writers + ";";
}

void PostgresAccounts::SetUpGroups() {
  if (Group(true).size() > kLongestName)
    throw DbError(ErrorCode::kInvalidArgument, "the schema name " + schema_ + " is too long for the names of its groups (" +
                                                   std::to_string(kLongestName - 8) + " characters at most)");
  for (const bool writers : {false, true}) {
    if (!RoleExists(db_, Group(writers))) db_.Exec("CREATE ROLE " + db_.Identifier(Group(writers)) + " NOLOGIN");
  }
  const std::string s = db_.Identifier(schema_);
  const std::string readers = db_.Identifier(Group(false)), writers = db_.Identifier(Group(true));
  MakeAuditTrail(db_, schema_);
  db_.Exec("GRANT USAGE ON SCHEMA " + s + " TO " + readers + ", " + writers + ";" +
           "GRANT CREATE ON SCHEMA " + s + " TO " + writers + ";" +
           "GRANT SELECT ON ALL TABLES IN SCHEMA " + s + " TO " + readers + ";" +
           "GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA " + s + " TO " + writers + ";" +
           "GRANT USAGE, SELECT, UPDATE ON ALL SEQUENCES IN SCHEMA " + s + " TO " + writers + ";" +
           DefaultRights("") +
           // The trail: nobody but its owner reads or changes it.
           "REVOKE ALL ON TABLE " + s + ".mv_audit FROM " + readers + ", " + writers + ";" +
           "REVOKE ALL ON SEQUENCE " + s + ".mv_audit_id_seq FROM " + readers + ", " + writers + ";" +
           "GRANT EXECUTE ON FUNCTION " + s + "." + kRecordSignature + " TO " + readers + ", " + writers);
}

void PostgresAccounts::AddLogin(const std::string& name, std::string_view password, bool writer) {
  if (name.empty() || name.size() > kLongestName)
    throw DbError(ErrorCode::kInvalidArgument, "a login name is 1 to " + std::to_string(kLongestName) + " bytes");
  if (password.empty()) throw DbError(ErrorCode::kInvalidArgument, "the password of " + name + " is empty");
  if (RoleExists(db_, name))
    throw DbError(ErrorCode::kRecordExists, "the server already has a login or role " + name);
  SetUpGroups();
  const std::string login = db_.Identifier(name);
  db_.Exec("CREATE ROLE " + login + " LOGIN PASSWORD " + db_.Literal(db_.PasswordVerifier(name, password)) +
           " IN ROLE " + db_.Identifier(Group(writer)));
  // What a writer makes later is read and written by the groups too.
  if (writer) db_.Exec(DefaultRights(name));
}

void PostgresAccounts::RemoveLogin(const std::string& name) {
  const bool member =
      db_.Run("SELECT EXISTS(SELECT 1 FROM pg_auth_members m JOIN pg_roles g ON g.oid = m.roleid "
              "JOIN pg_roles u ON u.oid = m.member WHERE u.rolname = $1 AND g.rolname IN ($2, $3))",
              {Text(name), Text(Group(false)), Text(Group(true))})
          .Int(0, 0) != 0;
  if (!member)
    throw DbError(ErrorCode::kInvalidArgument, name + " is no login of database " + db_.Shown() + " (not a member of " +
                                                   Group(false) + " nor " + Group(true) + ")");
  const std::string login = db_.Identifier(name);
  db_.Exec("REASSIGN OWNED BY " + login + " TO SESSION_USER; DROP OWNED BY " + login + "; DROP ROLE " + login);
}

std::vector<ServerLogin> PostgresAccounts::Logins() {
  const Result rows = db_.Run(
      "SELECT u.rolname::text, bool_or(g.rolname = $2) FROM pg_auth_members m JOIN pg_roles g ON g.oid = m.roleid "
      "JOIN pg_roles u ON u.oid = m.member WHERE g.rolname IN ($1, $2) GROUP BY u.rolname ORDER BY u.rolname",
      {Text(Group(false)), Text(Group(true))});
  std::vector<ServerLogin> logins;
  for (int row = 0; row < rows.Rows(); ++row) logins.push_back({std::string(rows.Bytes(row, 0)), rows.Int(row, 1) != 0});
  return logins;
}

void PostgresAccounts::RecordOutput(const AuditRecord& output) {
  const std::string what = "cannot record the output in the audit trail of database " + db_.Shown();
  if (!db_.Idle()) throw DbError(ErrorCode::kIo, what + ": a transaction is open");
  const auto record = [&](bool makeTrail) {
    // A database opened read-only has its transactions read-only by default.
    db_.Exec("START TRANSACTION READ WRITE");
    try {
      if (makeTrail) MakeAuditTrail(db_, schema_);
      db_.Run("SELECT " + db_.Identifier(schema_) + ".mv_record_output($1, $2, $3::bigint, $4)",
              {Text(output.kind), Text(output.criteria), Text(std::to_string(output.rows)), Text(output.files)});
      db_.Exec("COMMIT");
    } catch (const DbError& e) {
      try {
        db_.Exec("ROLLBACK");
      } catch (const DbError&) {  // the connection is gone: so is the transaction
      }
      throw DbError(ErrorCode::kIo, what + ": " + e.what());
    }
  };
  try {
    record(false);
  } catch (const DbError&) {
    // A database made before outputs were recorded has no trail: its owner,
    // the only one signing in to it then, makes it with the first output.
    if (!db_.Idle() || HasAuditTrail(db_, schema_)) throw;
    record(true);
  }
}

std::vector<AuditRecord> PostgresAccounts::AuditTrail(const std::string& since) {
  const std::string sql = "SELECT to_char(at, 'YYYY-MM-DD HH24:MI:SS'), login, kind, criteria, rows, files FROM " +
                          db_.Identifier(schema_) + ".mv_audit" + (since.empty() ? "" : " WHERE at >= $1::date") +
                          " ORDER BY id";
  const Result rows = since.empty() ? db_.Run(sql) : db_.Run(sql, {Text(since)});
  std::vector<AuditRecord> trail;
  for (int row = 0; row < rows.Rows(); ++row) {
    trail.push_back({std::string(rows.Bytes(row, 0)), std::string(rows.Bytes(row, 1)), std::string(rows.Bytes(row, 2)),
                     std::string(rows.Bytes(row, 3)), rows.Int(row, 4), std::string(rows.Bytes(row, 5))});
  }
  return trail;
}

}  // namespace mvdb::postgres

namespace mvdb {

std::string DefaultServerUser(const std::string& address) {
  std::string user;
  char* error = nullptr;
  if (PQconninfoOption* options = PQconninfoParse(postgres::ParseServerAddress(address).conninfo.c_str(), &error)) {
    for (PQconninfoOption* o = options; o->keyword != nullptr; ++o) {
      if (std::string_view(o->keyword) == "user" && o->val != nullptr) user = o->val;
    }
    PQconninfoFree(options);
  }
  if (error != nullptr) PQfreemem(error);
  if (!user.empty()) return user;
  // libpq's defaults: PGUSER, else the login name.
  if (PQconninfoOption* defaults = PQconndefaults()) {
    for (PQconninfoOption* o = defaults; o->keyword != nullptr; ++o) {
      if (std::string_view(o->keyword) == "user" && o->val != nullptr) user = o->val;
    }
    PQconninfoFree(defaults);
  }
  return user;
}

}  // namespace mvdb
