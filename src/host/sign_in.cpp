#include "host/sign_in.h"

#include "host/demo_database.h"
#include "mvdb/server_accounts.h"
#include "mvdb/storage.h"

namespace morvane::host {

namespace {

constexpr int kTries = 3;

// The server's database and the login it signed in.
SignedIn Signed(std::unique_ptr<mvdb::Database> db) {
  std::string user = db->storage().Accounts()->SessionUser();
  return {std::move(db), std::move(user)};
}

}  // namespace

SignedIn SignIn(const std::filesystem::path& database, bool isDefaultDemo, mvdb::OpenMode mode,
                const std::string& user, const PasswordPrompt& prompt) {
  if (!mvdb::Storage::IsServerAddress(database.string())) {
    return {OpenHostDatabase(database, isDefaultDemo, mode), user.empty() ? kDefaultUser : user};
  }
  if (!user.empty()) {
    throw UserFromServer("--user " + user + " is refused on a server database: the user is the login the server " +
                         "signs in (the address's user, PGUSER, else your login name)");
  }
  mvdb::Credentials credentials;
  try {
    return Signed(OpenHostDatabase(database, false, mode));
  } catch (const mvdb::DbError& e) {
    if (!e.IsSignInRefused()) throw;
    if (!prompt || e.code() != mvdb::ErrorCode::kPasswordNeeded) throw SignInRefused(e.what());
    std::string refusal;
    credentials.user = mvdb::DefaultServerUser(database.string());
    for (int attempt = 1;; ++attempt) {
      mvdb::Secret password;
      if (!prompt(credentials.user, password, refusal)) throw SignInRefused(e.what());
      credentials.password = password.View();
      try {
        return Signed(OpenHostDatabase(database, false, mode, credentials));
      } catch (const mvdb::DbError& again) {
        if (!again.IsSignInRefused()) throw;
        if (attempt == kTries) throw SignInRefused(again.what());
        refusal = again.what();
      }
    }
  }
}

}  // namespace morvane::host
