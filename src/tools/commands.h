// The subcommands of the mvdb tool. Each takes its own arguments (after the
// subcommand name), writes its output to `out`, and throws mvdb::DbError on a
// database failure or UsageError on bad arguments.
#pragma once

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace mvdb::tool {

/// Arguments that do not fit the command; main prints the usage text.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// A request refused as given, such as demo data into a database that holds
/// records: main prints the message alone and exits with status 2.
class Refusal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using Args = std::vector<std::string>;

/// Creates a database (a file, or a schema on a server) [--directory-root FOLDER].
void CreateDatabase(const Args& args, std::ostream& out);
/// Copies a whole database into an empty one made with create: FROM TO.
void Copy(const Args& args, std::ostream& out);
void CreateFile(const Args& args, std::ostream& out);
void ListFiles(const Args& args, std::ostream& out);
void Import(const Args& args, std::ostream& out);
/// Writes JSON Lines to `out`, or to the file after -o (written under a
/// temporary name and renamed), only once the whole export succeeded.
void Export(const Args& args, std::ostream& out);
void Read(const Args& args, std::ostream& out);
void Select(const Args& args, std::ostream& out);
void Index(const Args& args, std::ostream& out);
/// Runs a server routine; each argument after the routine name is one attribute.
void Call(const Args& args, std::ostream& out);
/// Fills a new or empty database with demo data; a database that holds records
/// is refused (Refusal) unless --into-existing is given.
void Demo(const Args& args, std::ostream& out);

/// Adds, removes or lists the logins of a server database, each with its
/// DROITS record, in one transaction: add|remove|list ADDRESS [NAME] [options].
/// Refusal for an embedded database or passwords that differ.
void User(const Args& args, std::ostream& out);
/// Lists the audit trail of a server database: ADDRESS [--since YYYY-MM-DD].
void Audit(const Args& args, std::ostream& out);

/// A record for people: one line per attribute, numbered, values separated by
/// " ] " and sub-values by " \ ".
std::string FormatRecord(const std::string& text);
/// A result list for people: one row per line, columns separated by " | ".
std::string FormatResultList(const std::string& text);

}  // namespace mvdb::tool
