// Who uses the host: on an embedded database the user named on the command
// line; on a server database the login the server authenticated, never a
// name the command line states.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "mvdb/database.h"
#include "mvdb/secret.h"

namespace morvane::host {

/// The server refused the sign-in: a wrong or missing password, an unknown
/// login, a login it does not let in. what() is one line with its reason.
class SignInRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// A user named on the command line for a server database, whose users the
/// server signs in.
class UserFromServer : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Asks a person for a password: `user` comes prefilled and may be changed,
/// `refusal` is the server's last answer ("" on the first try). Fills
/// `password`; returns false when the person gives up.
using PasswordPrompt = std::function<bool(std::string& user, mvdb::Secret& password, const std::string& refusal)>;

/// A database opened for a user, and the name of that user's DROITS record.
struct SignedIn {
  std::unique_ptr<mvdb::Database> database;
  std::string user;
};

/// The user of an embedded database when the command line names none.
inline constexpr const char* kDefaultUser = "admin";

/// Opens the database (as OpenHostDatabase does) and signs the user in. An
/// embedded database: `user`, or kDefaultUser when empty. A server database:
/// a non-empty `user` throws UserFromServer; the login is libpq's (the
/// address's user, PGUSER, else the login name; a password from ~/.pgpass or
/// PGPASSFILE, or peer and certificate methods) and the user is the server's
/// session user. When the server wants a password and `prompt` is set, asks
/// it up to three times; the password lives in a Secret wiped after each try.
/// Throws SignInRefused once the server (or the person, giving up) ends the
/// sign-in, else mvdb::DbError.
SignedIn SignIn(const std::filesystem::path& database, bool isDefaultDemo, mvdb::OpenMode mode,
                const std::string& user, const PasswordPrompt& prompt = {});

}  // namespace morvane::host
