// Server addresses: a libpq connection URI ("postgresql://user@host:5432/
// office?schema=assoc") or keyword string ("host=/run/postgresql dbname=office
// schema=assoc"). The engine's own setting, `schema` (a URI parameter or a
// keyword), names the schema that holds the database; libpq never sees it.
#pragma once

#include <string>
#include <string_view>

namespace mvdb::postgres {

/// The schema of an address that names none.
inline constexpr const char* kDefaultSchema = "morvane";
/// Seconds a connection attempt waits when the address sets no connect_timeout.
inline constexpr int kConnectTimeoutSeconds = 10;

/// A server address taken apart.
struct ServerAddress {
  std::string conninfo;  ///< for libpq: without `schema`, with a connect_timeout
  std::string schema;    ///< the database's schema
  std::string shown;     ///< for messages: the address without its password
};

/// Parses an address (Storage::IsServerAddress is true for it). Throws DbError
/// kInvalidArgument for a schema name other than letters, digits and "_"
/// (at most 63, not starting with a digit) or a malformed keyword string.
ServerAddress ParseServerAddress(std::string_view address);

}  // namespace mvdb::postgres
