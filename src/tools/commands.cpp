#include "tools/commands.h"

#include <unistd.h>

#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>

#include "association/hourly_rate.h"
#include "mvdb/database.h"
#include "mvdb/database_copy.h"
#include "mvdb/jsonl.h"
#include "mvdb/numbers.h"
#include "mvdb/storage.h"
#include "tools/spooled_output.h"
#ifdef MVDB_HAS_DEMO
#include "demo/generator.h"
#endif

namespace mvdb::tool {
namespace {

void ExpectCount(const Args& args, std::size_t least, std::size_t most, const char* what) {
  if (args.size() < least || args.size() > most) throw UsageError(std::string("usage: mvdb ") + what);
}

/// Shows marks readably inside one line.
std::string ShowMarks(std::string text, const char* valueSeparator) {
  std::string out;
  for (char c : text) {
    if (c == kValueMark)
      out += valueSeparator;
    else if (c == kSubValueMark)
      out += " \\ ";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else
      out.push_back(c);
  }
  return out;
}

long WholeNumber(const std::string& option, const std::string& text) {
  const auto number = ParseCount(text, INT64_MAX);
  if (!number) throw UsageError(option + " needs a whole number, not \"" + text + "\"");
  return static_cast<long>(*number);
}

/// Opens a database with the association's routines, as every program does.
std::unique_ptr<Database> OpenDatabase(const std::string& path, OpenMode mode) {
  auto db = Database::Open(path, mode);
  morvane::association::RegisterAssociationRoutines(db->routines());
  return db;
}

/// True when some file of the database holds a record.
[[maybe_unused]] bool HoldsRecords(Database& db) {
  bool any = false;
  for (const auto& file : db.FileNames()) {
    db.storage().Scan(file, [&](const std::string&, const std::string&) {
      any = true;
      return false;  // one record is enough
    });
    if (any) return true;
  }
  return false;
}

}  // namespace

std::string FormatRecord(const std::string& text) {
  const DynArray record(text);
  std::ostringstream out;
  for (int a = 1; a <= record.DCount(); ++a)
    out << std::setw(4) << a << "  " << ShowMarks(record.Item(a), " ] ") << '\n';
  return out.str();
}

std::string FormatResultList(const std::string& text) {
  const DynArray rows(text);
  std::string out;
  for (int r = 1; r <= rows.DCount(); ++r) {
    out += ShowMarks(rows.Item(r), " | ");
    out.push_back('\n');
  }
  return out;
}

void CreateDatabase(const Args& args, std::ostream& out) {
  ExpectCount(args, 1, 3, "create DB [--directory-root FOLDER]");
  CreateOptions options;
  if (args.size() > 1) {
    if (args[1] != "--directory-root") throw UsageError("unknown option " + args[1]);
    if (args.size() < 3 || args[2].empty()) throw UsageError("--directory-root needs a folder");
    options.directoryRoot = args[2];
  }
  Database::Create(args[0], options);
  out << "created " << args[0] << "\n";
}

void Copy(const Args& args, std::ostream& out) {
  ExpectCount(args, 2, 2, "copy FROM TO");
  auto from = OpenDatabase(args[0], OpenMode::kReadOnly);
  auto to = OpenDatabase(args[1], OpenMode::kReadWrite);
  const bool terminal = ::isatty(STDERR_FILENO) != 0;  // progress for people, not for logs
  const CopySummary copied = CopyDatabase(*from, *to, [terminal](long records) {
    if (terminal) std::cerr << "\r" << records << " records" << std::flush;
  });
  if (terminal) std::cerr << "\n";
  out << copied.files << " files, " << copied.records << " records and " << copied.indexes
      << " indexes copied to " << args[1] << "\n";
}

void CreateFile(const Args& args, std::ostream& out) {
  ExpectCount(args, 2, 3, "create-file DB FILE [--directory]");
  if (args.size() == 3 && args[2] != "--directory") throw UsageError("unknown option " + args[2]);
  const FileKind kind = args.size() == 3 ? FileKind::kDirectory : FileKind::kHashed;
  OpenDatabase(args[0], OpenMode::kReadWrite)->CreateFile(args[1], kind);
  out << "created file " << args[1] << (kind == FileKind::kDirectory ? " (directory)" : "") << "\n";
}

void ListFiles(const Args& args, std::ostream& out) {
  ExpectCount(args, 1, 1, "files DB");
  auto db = OpenDatabase(args[0], OpenMode::kReadOnly);
  for (const auto& name : db->FileNames()) out << name << "\n";
}

void Import(const Args& args, std::ostream& out) {
  ExpectCount(args, 2, 2, "import DB FILE.jsonl|-");
  auto db = OpenDatabase(args[0], OpenMode::kReadWrite);
  jsonl::ImportSummary summary;
  if (args[1] == "-") {
    summary = jsonl::Import(*db, std::cin);
  } else {
    std::ifstream in(args[1], std::ios::binary);
    if (!in) throw DbError(ErrorCode::kIo, "cannot open " + args[1]);
    summary = jsonl::Import(*db, in);
  }
  out << summary.records << " records imported, " << summary.filesCreated << " files created\n";
}

void Export(const Args& args, std::ostream& out) {
  ExpectCount(args, 1, 1000000, "export DB [-o OUTPUT] [FILE...]");
  Args files(args.begin() + 1, args.end());
  std::filesystem::path target;
  if (!files.empty() && files[0] == "-o") {
    if (files.size() < 2) throw UsageError("-o needs the file to write");
    target = files[1];
    files.erase(files.begin(), files.begin() + 2);
  }
  auto db = OpenDatabase(args[0], OpenMode::kReadOnly);
  SpooledOutput output(target);
  jsonl::Export(*db, files, output.Stream());
  output.Commit(out);
}

void Read(const Args& args, std::ostream& out) {
  ExpectCount(args, 3, 3, "read DB FILE KEY");
  auto db = OpenDatabase(args[0], OpenMode::kReadOnly);
  out << FormatRecord(db->DBOpen(args[1]).DBRead(args[2]).Text());
}

void Select(const Args& args, std::ostream& out) {
  ExpectCount(args, 2, 1000, "select DB \"SSELECT FILE ...\" [ATTRIBUTES]");
  auto db = OpenDatabase(args[0], OpenMode::kReadOnly);
  std::string attributes;
  for (std::size_t a = 2; a < args.size(); ++a) attributes += (a > 2 ? " " : "") + args[a];
  DynArray request;
  request.SetItem(1, args[1]);
  request.SetItem(2, "");
  request.SetItem(3, attributes.empty() ? "0" : attributes);
  long count = 0;
  const DynArray result = db->DBSelect(request.Text(), "", count);
  out << FormatResultList(result.Text()) << count << " record(s) selected\n";
}

void Index(const Args& args, std::ostream& out) {
  ExpectCount(args, 3, 3, "index DB FILE FIELD");
  OpenDatabase(args[0], OpenMode::kReadWrite)->CreateIndex(args[1], args[2]);
  out << "index of " << args[1] << " " << args[2] << " built\n";
}

void Call(const Args& args, std::ostream& out) {
  ExpectCount(args, 2, 1000, "call DB ROUTINE [ARGUMENT...]");
  auto db = OpenDatabase(args[0], OpenMode::kReadWrite);
  DynArray arguments;
  for (std::size_t a = 2; a < args.size(); ++a) arguments.SetItem(static_cast<int>(a - 1), args[a]);
  std::int32_t status = 0;
  const DynArray answer = db->DBCall(args[1], status, arguments.Text());
  out << FormatRecord(answer.Text());
}

void Demo(const Args& args, std::ostream& out) {
  if (args.empty() || args[0].rfind("--", 0) == 0)
    throw UsageError(
        "usage: mvdb demo DB [--into-existing] [--carers N] [--absences N] [--seed S] [--directory-root FOLDER]");
#ifdef MVDB_HAS_DEMO
  morvane::demo::Options options;
  CreateOptions creation;
  bool intoExisting = false;
  for (std::size_t a = 1; a < args.size(); ++a) {
    if (args[a] == "--into-existing") {
      intoExisting = true;
      continue;
    }
    if (a + 1 >= args.size()) throw UsageError(args[a] + " needs a value");
    if (args[a] == "--directory-root") {
      creation.directoryRoot = args[++a];
      continue;
    }
    const long value = WholeNumber(args[a], args[a + 1]);
    if (args[a] == "--carers")
      options.carers = static_cast<int>(std::min(value, 10000000L));
    else if (args[a] == "--absences")
      options.absences = value;
    else if (args[a] == "--seed")
      options.seed = static_cast<unsigned>(value);
    else
      throw UsageError("unknown option " + args[a]);
    ++a;
  }
  options.progress = [](long done, long total) { std::cerr << "\r" << done << " / " << total << " absences" << std::flush; };
  std::unique_ptr<Database> db;
  try {
    db = OpenDatabase(args[0], OpenMode::kReadWrite);
  } catch (const DbError& e) {
    if (e.code() != ErrorCode::kFileNotFound) throw;
    db = Database::Create(args[0], creation);
  }
  if (!intoExisting && HoldsRecords(*db))
    throw Refusal(args[0] + " already holds records: give --into-existing to add the demo data to them");
  morvane::demo::Generate(*db, options);
  std::cerr << "\n";
  out << "demo database written to " << args[0] << "\n";
#else
  (void)WholeNumber;
  (void)out;
  throw UsageError("this mvdb was built without the demo generator");
#endif
}

}  // namespace mvdb::tool
