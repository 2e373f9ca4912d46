// mvdb user and mvdb audit: the logins of a server database with their DROITS
// records, and the audit trail of the outputs.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>

#include "mvdb/database.h"
#include "mvdb/secret.h"
#include "mvdb/server_accounts.h"
#include "mvdb/storage.h"
#include "tools/commands.h"

namespace mvdb::tool {
namespace {

// The files a user's level applies to, as the demo database lists them.
const std::vector<std::string> kRightsFiles = {"ABSENCESAIDANT", "CIVILAIDANT", "CONTRAT", "STATAIDANT"};

struct UserRequest {
  std::string action, address, name;
  std::string level = "2";
  std::vector<std::string> sectors;
  std::string display;
  bool writer = false;
  std::string passwordFile;
};

std::vector<std::string> SplitSectors(const std::string& text) {
  std::vector<std::string> codes;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find(',', start), text.size());
    const std::string code = text.substr(start, end - start);
    if (code.empty() || code.size() > 3 || code.find_first_not_of("0123456789") != std::string::npos)
      throw UsageError("--sectors takes sector codes of 1 to 3 digits separated by commas, not \"" + text + "\"");
    codes.push_back(std::string(3 - code.size(), '0') + code);  // sector codes are padded on the left
    start = end + 1;
  }
  return codes;
}

UserRequest ParseUser(const Args& args) {
  constexpr const char* kUsage =
      "usage: mvdb user add|remove|list ADDRESS [NAME] [--level 1|2] [--sectors 001,003] [--display TEXT] "
      "[--writer] [--password-file FILE]";
  if (args.size() < 2) throw UsageError(kUsage);
  UserRequest r;
  r.action = args[0];
  r.address = args[1];
  std::size_t a = 2;
  if (r.action != "list") {
    if (r.action != "add" && r.action != "remove") throw UsageError(kUsage);
    if (args.size() < 3 || args[2].rfind("--", 0) == 0) throw UsageError(r.action + " needs the login's NAME");
    r.name = args[a++];
  }
  for (; a < args.size(); ++a) {
    const std::string& option = args[a];
    if (r.action != "add") throw UsageError("unknown argument " + option + " for user " + r.action);
    if (option == "--writer") {
      r.writer = true;
      continue;
    }
    if (a + 1 >= args.size()) throw UsageError(option + " needs a value");
    const std::string& value = args[++a];
    if (option == "--level") {
      if (value != "1" && value != "2") throw UsageError("--level is 1 (may not print) or 2, not \"" + value + "\"");
      r.level = value;
    } else if (option == "--sectors") {
      r.sectors = SplitSectors(value);
    } else if (option == "--display") {
      r.display = value;
    } else if (option == "--password-file") {
      r.passwordFile = value;
    } else {
      throw UsageError("unknown option " + option);
    }
  }
  if (r.display.empty()) r.display = r.name;
  return r;
}

// Reads one line into `secret` from `fd`, without its line end. False when
// the line is longer than a Secret holds.
bool ReadLine(int fd, Secret& secret) {
  secret.Clear();
  char c = 0;
  while (::read(fd, &c, 1) == 1 && c != '\n') {
    if (!secret.Append(c)) return false;
  }
  c = 0;
  if (!secret.Empty() && secret.View().back() == '\r') secret.DropLast();
  return true;
}

// Asks for the password on the terminal, echo off, twice.
void AskPassword(const std::string& name, Secret& password) {
  const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
  if (tty < 0) throw UsageError("no terminal to ask the password of " + name + " on: give --password-file");
  termios saved{};
  const bool terminal = ::tcgetattr(tty, &saved) == 0;
  termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  if (terminal) ::tcsetattr(tty, TCSAFLUSH, &quiet);
  Secret again;
  const auto ask = [tty](const std::string& prompt, Secret& into) {
    (void)!::write(tty, prompt.data(), prompt.size());
    const bool fits = ReadLine(tty, into);
    (void)!::write(tty, "\n", 1);
    return fits;
  };
  const bool fits = ask("Password of " + name + ": ", password) && ask("Again: ", again);
  if (terminal) ::tcsetattr(tty, TCSAFLUSH, &saved);
  ::close(tty);
  if (!fits) throw Refusal("the password is longer than " + std::to_string(Secret::kCapacity) + " bytes");
  if (!(password == again)) throw Refusal("the two passwords differ: nothing was changed");
}

void ReadPasswordFile(const std::string& path, Secret& password) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw DbError(ErrorCode::kIo, "cannot read the password file " + path);
  const bool fits = ReadLine(fd, password);
  ::close(fd);
  if (!fits) throw Refusal("the password in " + path + " is longer than " + std::to_string(Secret::kCapacity) + " bytes");
}

ServerAccounts& AccountsOf(Database& db, const std::string& address) {
  ServerAccounts* accounts = db.storage().Accounts();
  if (accounts == nullptr)
    throw Refusal(address + " is no server database: its users are the records of DROITS, with no login");
  return *accounts;
}

void AddUser(const UserRequest& r, std::ostream& out) {
  Secret password;
  if (r.passwordFile.empty())
    AskPassword(r.name, password);
  else
    ReadPasswordFile(r.passwordFile, password);
  if (password.Empty()) throw Refusal("the password of " + r.name + " is empty: nothing was changed");
  auto db = Database::Open(r.address, OpenMode::kReadWrite);
  ServerAccounts& accounts = AccountsOf(*db, r.address);
  db->Transaction([&] {
    accounts.AddLogin(r.name, password.View(), r.writer);
    DynArray rights = db->DBOpen("DROITS").DBNew(r.name);
    for (std::size_t i = 0; i < kRightsFiles.size(); ++i) {
      rights.SetItem(1, static_cast<int>(i + 1), kRightsFiles[i]);
      rights.SetItem(2, static_cast<int>(i + 1), r.level);
    }
    for (std::size_t i = 0; i < r.sectors.size(); ++i) rights.SetItem(3, static_cast<int>(i + 1), r.sectors[i]);
    rights.SetItem(4, r.display);
    rights.DBWrite();
  });
  out << "login " << r.name << " added (" << (r.writer ? "reads and writes" : "reads only") << "), level " << r.level
      << ", " << (r.sectors.empty() ? "every sector" : "sectors " + [&] {
           std::string codes;
           for (const auto& code : r.sectors) codes += (codes.empty() ? "" : ",") + code;
           return codes;
         }()) << "\n";
}

}  // namespace

void User(const Args& args, std::ostream& out) {
  const UserRequest r = ParseUser(args);
  if (r.action == "add") return AddUser(r, out);
  auto db = Database::Open(r.address, r.action == "list" ? OpenMode::kReadOnly : OpenMode::kReadWrite);
  ServerAccounts& accounts = AccountsOf(*db, r.address);
  if (r.action == "remove") {
    db->Transaction([&] {
      accounts.RemoveLogin(r.name);
      db->DBOpen("DROITS").DBDelete(r.name);
    });
    out << "login " << r.name << " removed, with its record of DROITS\n";
    return;
  }
  const DbFile rights = db->DBOpen("DROITS");
  for (const ServerLogin& login : accounts.Logins()) {
    const auto record = rights.Find(login.name);
    out << login.name << " | " << (login.writer ? "writer" : "reader") << " | ";
    if (!record) {
      out << "no record of DROITS\n";
      continue;
    }
    std::string sectors;
    for (int v = 1; v <= record->DCount(3); ++v) {
      if (v > 1) sectors += ',';
      sectors += record->Item(3, v);
    }
    out << "level " << record->Item(2, 1) << " | " << (sectors.empty() ? "every sector" : sectors) << " | "
        << record->Item(4) << "\n";
  }
}

void Audit(const Args& args, std::ostream& out) {
  if (args.empty() || args.size() == 2 || args.size() > 3 || (args.size() == 3 && args[1] != "--since"))
    throw UsageError("usage: mvdb audit ADDRESS [--since YYYY-MM-DD]");
  const std::string since = args.size() == 3 ? args[2] : "";
  if (!since.empty() && (since.size() != 10 || since[4] != '-' || since[7] != '-' ||
                         since.find_first_not_of("0123456789-") != std::string::npos))
    throw UsageError("--since takes a date as YYYY-MM-DD, not \"" + since + "\"");
  auto db = Database::Open(args[0], OpenMode::kReadOnly);
  for (const AuditRecord& output : AccountsOf(*db, args[0]).AuditTrail(since)) {
    std::string files = output.files;
    std::replace(files.begin(), files.end(), '\n', ' ');
    out << output.at << " | " << output.user << " | " << output.kind << " | " << output.rows << " rows | "
        << output.criteria << " | " << files << "\n";
  }
}

}  // namespace mvdb::tool
