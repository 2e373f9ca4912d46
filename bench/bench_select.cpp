// The absence selection of the list ("all four types, Totalité, one calendar
// year, Dans la période de référence, alphabetical order") on a demo database
// of a million absences, timed side by side with the same selection written as
// hand-tuned SQL over the same data stored relationally in a separate SQLite
// file; with a server address, the same two again on a PostgreSQL server: the
// engine on its copy of the demo database, and the SQL over relational
// tables of the same data there. Beside them, the floor: the absence table
// read in key order from C, every record's bytes touched (on a server,
// streamed by one binary COPY through one connection). Then two
// selective queries (one carer's absences; one sector's month), through the
// index and by a scan of the file. Prints processor times (best of 3 runs: on a shared
// machine wall time mostly measures the wait for a processor) and ratios.
//
// Usage: bench_select [absences] [work folder] [server address]
//   defaults: 1000000, /tmp/bench_select, $MORVANE_BENCH_PG (none: embedded only);
//   $MORVANE_BENCH_RUNS runs of each (default 3), the best kept
// The server address names no schema: the benchmark keeps its databases in
// the schemas bench_select_<absences> and bench_relational_<absences>. The
// generated databases are kept and reused by later runs.
#include <libpq-fe.h>
#include <sqlite3.h>

#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "demo/day_numbers.h"
#include "demo/generator.h"
#include "bench_support.h"
#include "mvdb/database.h"
#include "mvdb/dynarray.h"
#include "mvdb/postgres/address.h"
#include "mvdb/query/engine.h"
#include "mvdb/storage.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Processor time of this process: on a machine shared with other work the
// wall time mostly measures the wait for a processor.
double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void Check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    std::cerr << what << ": " << sqlite3_errmsg(db) << "\n";
    std::exit(2);
  }
}

void Exec(sqlite3* db, const std::string& sql) { Check(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db, sql.c_str()); }

// The query the control writes for the four types, no sector, one period.
std::string AbsenceQuery(const std::string& s, const std::string& e) {
  const std::string period = " AND AVEC DebAbsAidant <= \"" + e + "\" AND AVEC 2 >= \"" + s + "\"";
  return "SSELECT ABSENCESAIDANT AVEC NumMotifAidant <= \"6\" OR = \"29\" OR = \"30\"" + period +
         " OR AVEC NumMotifAidant >= \"12\" AND <= \"17\" OR = \"23\" OR = \"25\" OR=\"26\" OR=\"27\" OR=\"28\""
         " OR=\"31\"" + period +
         " OR AVEC NumMotifAidant >= \"7\" AND <= \"11\" OR = \"24\" OR = \"32\" OR >= \"50\"" + period +
         " OR AVEC NumMotifAidant = \"22\"" + period + " PAR NomAidant PAR PrenomAidant PAR DebAbsAidant";
}

std::string Attr(const mvdb::DynArray& r, int n) { return r.Item(n); }

// Copies carers and absences into plain tables, one row each, with indexes.
void BuildRelational(mvdb::Database& db, const fs::path& path) {
  fs::remove(path);
  sqlite3* out = nullptr;
  Check(sqlite3_open(path.c_str(), &out), out, "open relational");
  Exec(out, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN;"
            "CREATE TABLE carer(code TEXT PRIMARY KEY, nom TEXT, prenom TEXT, secteur TEXT, commune TEXT);"
            "CREATE TABLE absence(key TEXT PRIMARY KEY, carer TEXT, motif INTEGER, deb INTEGER, fin INTEGER,"
            " a1 TEXT, a2 TEXT, a3 TEXT, a29 TEXT, retour TEXT, avalider TEXT)");
  sqlite3_stmt* carer = nullptr;
  sqlite3_prepare_v2(out, "INSERT INTO carer VALUES(?,?,?,?,?)", -1, &carer, nullptr);
  db.storage().Scan("CIVILAIDANT", [&](const std::string& key, const std::string& text) {
    const mvdb::DynArray r(text);
    const std::string cols[] = {key, Attr(r, 2), Attr(r, 3), Attr(r, 31), Attr(r, 11)};
    for (int i = 0; i < 5; ++i) sqlite3_bind_text(carer, i + 1, cols[i].c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(carer);
    sqlite3_reset(carer);
    return true;
  });
  sqlite3_stmt* absence = nullptr;
  sqlite3_prepare_v2(out, "INSERT INTO absence VALUES(?,?,?,?,?,?,?,?,?,?,?)", -1, &absence, nullptr);
  db.storage().Scan("ABSENCESAIDANT", [&](const std::string& key, const std::string& text) {
    const mvdb::DynArray r(text);
    sqlite3_bind_text(absence, 1, key.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(absence, 2, key.substr(0, 5).c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(absence, 3, std::stoi(key.substr(5, 2)));
    sqlite3_bind_int(absence, 4, std::stoi(key.substr(7, 5)));
    const std::string last = Attr(r, 2);
    if (last.empty()) {
      sqlite3_bind_null(absence, 5);
    } else {
      sqlite3_bind_int(absence, 5, std::stoi(last));
    }
    const std::string cols[] = {Attr(r, 1), last, Attr(r, 3), Attr(r, 29), Attr(r, 10), Attr(r, 28)};
    for (int i = 0; i < 6; ++i) sqlite3_bind_text(absence, 6 + i, cols[i].c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(absence);
    sqlite3_reset(absence);
    return true;
  });
  sqlite3_finalize(carer);
  sqlite3_finalize(absence);
  Exec(out, "CREATE INDEX absence_deb ON absence(deb); CREATE INDEX absence_fin ON absence(fin);"
            "CREATE INDEX absence_motif ON absence(motif); COMMIT; ANALYZE;");
  sqlite3_close(out);
}

// The same selection in SQL, returning the same result list text.
std::string RunSql(sqlite3* db, int s, int e, long& count) {
  static const char* kSql =
      "SELECT a.key, a.a1, a.a2, a.a3, a.a29 FROM absence a LEFT JOIN carer c ON c.code = a.carer"
      " WHERE a.deb <= ?1 AND a.fin >= ?2 AND (a.motif <= 6 OR a.motif IN (29, 30) OR a.motif BETWEEN 12 AND 17"
      " OR a.motif IN (23, 25, 26, 27, 28, 31) OR a.motif BETWEEN 7 AND 11 OR a.motif IN (24, 32)"
      " OR a.motif >= 50 OR a.motif = 22)"
      " ORDER BY c.nom, c.prenom, a.deb, a.key";
  sqlite3_stmt* stmt = nullptr;
  Check(sqlite3_prepare_v2(db, kSql, -1, &stmt, nullptr), db, "prepare");
  sqlite3_bind_int(stmt, 1, e);
  sqlite3_bind_int(stmt, 2, s);
  std::string text;
  count = 0;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    if (count++ > 0) text += mvdb::kAttributeMark;
    for (int i = 0; i < 5; ++i) {
      if (i > 0) text += mvdb::kValueMark;
      const auto* v = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
      if (v) text.append(v, sqlite3_column_bytes(stmt, i));
    }
  }
  sqlite3_finalize(stmt);
  return text;
}


// ---- the same on a PostgreSQL server

void CheckPg(PGresult* result, PGconn* pg, const std::string& what) {
  const auto status = PQresultStatus(result);
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_COPY_IN) {
    std::cerr << what << ": " << PQerrorMessage(pg) << "\n";
    std::exit(2);
  }
  PQclear(result);
}

// A field of COPY's text format.
void AppendCopyField(std::string& line, const std::string& value, bool null = false) {
  if (!line.empty() && line.back() != '\n') line += '\t';
  if (null) {
    line += "\\N";
    return;
  }
  for (char c : value) {
    if (c == '\\' || c == '\t' || c == '\n' || c == '\r') line += '\\';
    line += c == '\t' ? 't' : c == '\n' ? 'n' : c == '\r' ? 'r' : c;
  }
}

// Copies carers and absences into plain tables of their own schema, one row
// each, with the same indexes as the SQLite copy. Keys and names sort as
// bytes (COLLATE "C"), as the engine sorts them.
void BuildRelationalOnServer(mvdb::Database& db, PGconn* pg, const std::string& schema) {
  CheckPg(PQexec(pg, ("DROP SCHEMA IF EXISTS " + schema + " CASCADE; CREATE SCHEMA " + schema + "; SET search_path TO " +
                      schema + "; CREATE TABLE carer(code text COLLATE \"C\" PRIMARY KEY, nom text COLLATE \"C\","
                      " prenom text COLLATE \"C\", secteur text, commune text);"
                      "CREATE TABLE absence(key text COLLATE \"C\" PRIMARY KEY, carer text COLLATE \"C\", motif integer,"
                      " deb integer, fin integer, a1 text, a2 text, a3 text, a29 text, retour text, avalider text)")
                         .c_str()),
          pg, "relational schema");
  auto copy = [&](const char* sql, const std::string& file, const std::function<void(const std::string&,
                                                                                      const mvdb::DynArray&,
                                                                                      std::string&)>& row) {
    CheckPg(PQexec(pg, sql), pg, sql);
    std::string buffer;
    db.storage().Scan(file, [&](const std::string& key, const std::string& text) {
      row(key, mvdb::DynArray(text), buffer);
      buffer += '\n';
      if (buffer.size() > (1 << 20)) {
        PQputCopyData(pg, buffer.data(), static_cast<int>(buffer.size()));
        buffer.clear();
      }
      return true;
    });
    PQputCopyData(pg, buffer.data(), static_cast<int>(buffer.size()));
    PQputCopyEnd(pg, nullptr);
    CheckPg(PQgetResult(pg), pg, "copy");
  };
  copy("COPY carer FROM STDIN", "CIVILAIDANT", [](const std::string& key, const mvdb::DynArray& r, std::string& line) {
    for (const std::string& value : {key, Attr(r, 2), Attr(r, 3), Attr(r, 31), Attr(r, 11)}) AppendCopyField(line, value);
  });
  copy("COPY absence FROM STDIN", "ABSENCESAIDANT", [](const std::string& key, const mvdb::DynArray& r, std::string& line) {
    const std::string last = Attr(r, 2);
    AppendCopyField(line, key);
    AppendCopyField(line, key.substr(0, 5));
    AppendCopyField(line, std::to_string(std::stoi(key.substr(5, 2))));
    AppendCopyField(line, std::to_string(std::stoi(key.substr(7, 5))));
    AppendCopyField(line, last, last.empty());
    for (const std::string& value : {Attr(r, 1), last, Attr(r, 3), Attr(r, 29), Attr(r, 10), Attr(r, 28)})
      AppendCopyField(line, value);
  });
  CheckPg(PQexec(pg, "CREATE INDEX absence_deb ON absence(deb); CREATE INDEX absence_fin ON absence(fin);"
                     "CREATE INDEX absence_motif ON absence(motif); ANALYZE carer; ANALYZE absence"),
          pg, "relational indexes");
}

// The SQL of RunSql on the server, returning the same result list text.
std::string RunSqlOnServer(PGconn* pg, int s, int e, long& count) {
  static const char* kSql =
      "SELECT a.key, a.a1, a.a2, a.a3, a.a29 FROM absence a LEFT JOIN carer c ON c.code = a.carer"
      " WHERE a.deb <= $1 AND a.fin >= $2 AND (a.motif <= 6 OR a.motif IN (29, 30) OR a.motif BETWEEN 12 AND 17"
      " OR a.motif IN (23, 25, 26, 27, 28, 31) OR a.motif BETWEEN 7 AND 11 OR a.motif IN (24, 32)"
      " OR a.motif >= 50 OR a.motif = 22)"
      " ORDER BY c.nom, c.prenom, a.deb, a.key";
  const std::string end = std::to_string(e), start = std::to_string(s);
  const char* values[] = {end.c_str(), start.c_str()};
  PGresult* result = PQexecParams(pg, kSql, 2, nullptr, values, nullptr, nullptr, 0);
  if (PQresultStatus(result) != PGRES_TUPLES_OK) CheckPg(result, pg, "relational query");
  std::string text;
  count = PQntuples(result);
  for (int row = 0; row < count; ++row) {
    if (row > 0) text += mvdb::kAttributeMark;
    for (int i = 0; i < 5; ++i) {
      if (i > 0) text += mvdb::kValueMark;
      text.append(PQgetvalue(result, row, i), PQgetlength(result, row, i));
    }
  }
  PQclear(result);
  return text;
}

// The floor of any selection: every record of the file read in key order
// straight from SQLite, its bytes touched. Returns the number of records.
long RawScan(sqlite3* db, const std::string& file) {
  sqlite3_stmt* find = nullptr;
  Check(sqlite3_prepare_v2(db, "SELECT id FROM mv_files WHERE name = ?1", -1, &find, nullptr), db, "mv_files");
  sqlite3_bind_text(find, 1, file.c_str(), -1, SQLITE_TRANSIENT);
  Check(sqlite3_step(find), db, "mv_files");
  const std::string table = "mvf_" + std::to_string(sqlite3_column_int64(find, 0));
  sqlite3_finalize(find);
  sqlite3_stmt* scan = nullptr;
  Check(sqlite3_prepare_v2(db, ("SELECT key, record FROM " + table + " ORDER BY key").c_str(), -1, &scan, nullptr), db,
        "scan");
  long records = 0;
  unsigned long sum = 0;
  while (sqlite3_step(scan) == SQLITE_ROW) {
    const auto* key = static_cast<const unsigned char*>(sqlite3_column_blob(scan, 0));
    const auto* record = static_cast<const unsigned char*>(sqlite3_column_blob(scan, 1));
    const int keyBytes = sqlite3_column_bytes(scan, 0), recordBytes = sqlite3_column_bytes(scan, 1);
    for (int i = 0; i < keyBytes; ++i) sum += key[i];
    for (int i = 0; i < recordBytes; ++i) sum += record[i];
    ++records;
  }
  sqlite3_finalize(scan);
  return sum == 0 ? 0 : records;
}

// The same floor on a server: the file's table in `schema` streamed in key
// order by one binary COPY, through one connection, every byte touched.
// Returns the number of records.
long RawCopyScan(PGconn* pg, const std::string& schema, const std::string& file) {
  std::string hex;  // the file's name, written as bytea
  for (unsigned char c : file) {
    static const char* const kHex = "0123456789abcdef";
    hex += kHex[c >> 4];
    hex += kHex[c & 15];
  }
  PGresult* found = PQexec(pg, ("SELECT id FROM " + schema + ".mv_files WHERE name = '\\x" + hex + "'").c_str());
  if (PQresultStatus(found) != PGRES_TUPLES_OK || PQntuples(found) != 1) CheckPg(found, pg, "mv_files");
  const std::string table = schema + ".mvf_" + PQgetvalue(found, 0, 0);
  PQclear(found);
  PGresult* copy =
      PQexec(pg, ("COPY (SELECT key, record FROM " + table + " ORDER BY key) TO STDOUT (FORMAT binary)").c_str());
  if (PQresultStatus(copy) != PGRES_COPY_OUT) CheckPg(copy, pg, "copy");
  PQclear(copy);
  long messages = 0;
  unsigned long sum = 0;
  char* data = nullptr;
  for (int size; (size = PQgetCopyData(pg, &data, 0)) > 0; ++messages) {
    for (int i = 0; i < size; ++i) sum += static_cast<unsigned char>(data[i]);
    PQfreemem(data);
  }
  while (PGresult* end = PQgetResult(pg)) CheckPg(end, pg, "copy's end");
  return sum == 0 ? 0 : messages - 1;  // a message a record, and the end mark
}

// Best times of `runs` runs of fn: wall and processor seconds.
struct Best {
  double wall = 1e9, cpu = 1e9;
  void Time(const std::function<void()>& fn) {
    const auto started = Clock::now();
    const double cpuStart = CpuSeconds();
    fn();
    wall = std::min(wall, Seconds(started));
    cpu = std::min(cpu, CpuSeconds() - cpuStart);
  }
};

}  // namespace

int main(int argc, char** argv) {
  const long absences = argc > 1 ? std::atol(argv[1]) : 1000000;
  const fs::path folder = argc > 2 ? fs::path(argv[2]) : fs::path("/tmp/bench_select");
  fs::create_directories(folder);
  const fs::path mvPath = folder / ("absences-" + std::to_string(absences) + ".mvdb");
  const fs::path sqlPath = folder / ("absences-" + std::to_string(absences) + ".sqlite");

  std::unique_ptr<mvdb::Database> db;
  if (!fs::exists(mvPath) || !fs::exists(sqlPath)) {
    fs::remove(mvPath);
    fs::remove_all(mvPath.string() + ".d");
    auto started = Clock::now();
    db = mvdb::Database::Create(mvPath);
    morvane::demo::Options options;
    options.absences = absences;
    morvane::demo::Generate(*db, options);
    std::printf("generated %ld absences in %.1f s\n", absences, Seconds(started));
    started = Clock::now();
    BuildRelational(*db, sqlPath);
    std::printf("relational copy built in %.1f s\n", Seconds(started));
  } else {
    db = mvdb::Database::Open(mvPath);
  }

  const int s = morvane::demo::DayNumber(morvane::demo::kDemoYear, 1, 1);
  const int e = morvane::demo::DayNumber(morvane::demo::kDemoYear, 12, 31);
  const std::string query = AbsenceQuery(std::to_string(s), std::to_string(e));
  mvdb::DynArray request;
  request.SetItem(1, query);
  request.SetItem(2, "ABSENCESAIDANT");
  request.SetItem(3, "0 1 2 3 29");
  const std::string requestText = request.Text();

  sqlite3* rel = nullptr;
  Check(sqlite3_open_v2(sqlPath.c_str(), &rel, SQLITE_OPEN_READONLY, nullptr), rel, "open relational");

  const char* serverArgument = argc > 3 ? argv[3] : std::getenv("MORVANE_BENCH_PG");
  const std::string server = serverArgument ? serverArgument : "";
  std::unique_ptr<mvdb::Database> serverDb;
  PGconn* pg = nullptr;
  if (!server.empty()) {
    const std::string size = std::to_string(absences);
    serverDb = bench::ServerCopy(*db, server + " schema=bench_select_" + size, folder / ("server-files-" + size));
    pg = PQconnectdb(mvdb::postgres::ParseServerAddress(server).conninfo.c_str());
    if (PQstatus(pg) != CONNECTION_OK) {
      std::cerr << "cannot connect to " << server << ": " << PQerrorMessage(pg);
      return 2;
    }
    const std::string schema = "bench_relational_" + size;
    PGresult* exists = PQexec(pg, ("SELECT to_regclass('" + schema + ".absence') IS NOT NULL").c_str());
    const bool built = PQgetvalue(exists, 0, 0)[0] == 't';
    PQclear(exists);
    if (!built) {
      const auto started = Clock::now();
      BuildRelationalOnServer(*db, pg, schema);
      std::printf("relational copy on the server built in %.1f s\n", Seconds(started));
    }
    CheckPg(PQexec(pg, ("SET search_path TO " + schema).c_str()), pg, "search_path");
  }

  // More runs give steadier minimums on a loaded machine.
  const char* runsText = std::getenv("MORVANE_BENCH_RUNS");
  const int runs = runsText && std::atoi(runsText) > 0 ? std::atoi(runsText) : 3;
  Best engine, sql, floor, serverEngine, serverSql, serverFloor;
  long engineCount = 0, sqlCount = 0, floorCount = 0, serverCount = 0, serverSqlCount = 0, serverFloorCount = 0;
  std::string engineText, sqlText, serverText, serverSqlText;
  sqlite3* raw = nullptr;
  Check(sqlite3_open_v2(mvPath.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr), raw, "open database file");
  std::string access;
  for (int run = 0; run < runs; ++run) {
    engine.Time([&] { engineText = db->DBSelect(requestText, "", engineCount).Text(); });
    access = db->queries().LastAccessPath();
    sql.Time([&] { sqlText = RunSql(rel, s, e, sqlCount); });
    floor.Time([&] { floorCount = RawScan(raw, "ABSENCESAIDANT"); });
    if (!serverDb) continue;
    serverEngine.Time([&] { serverText = serverDb->DBSelect(requestText, "", serverCount).Text(); });
    serverSql.Time([&] { serverSqlText = RunSqlOnServer(pg, s, e, serverSqlCount); });
    serverFloor.Time([&] {
      serverFloorCount = RawCopyScan(pg, "bench_select_" + std::to_string(absences), "ABSENCESAIDANT");
    });
  }
  sqlite3_close(raw);
  sqlite3_close(rel);
  if (pg) PQfinish(pg);

  bool same = engineText == sqlText;
  std::printf("absences: %ld, selected: engine %ld rows, SQL %ld rows, same list: %s; engine's access: %s\n", absences,
              engineCount, sqlCount, engineText == sqlText ? "yes" : "NO", access.c_str());
  std::printf("processor seconds, best of %d runs (wall beside)\n", runs);
  std::printf("embedded engine:          %.3f s  (%.3f s wall)\n", engine.cpu, engine.wall);
  std::printf("hand-tuned SQL, SQLite:   %.3f s  (%.3f s wall)\n", sql.cpu, sql.wall);
  std::printf("raw ordered scan from C:  %.3f s  (%.3f s wall, %ld records)\n", floor.cpu, floor.wall, floorCount);
  std::printf("engine / SQL: %.2f (target <= 0.2); engine / raw scan: %.2f (target <= 3)\n", engine.cpu / sql.cpu,
              engine.cpu / floor.cpu);
  if (serverDb) {
    same = same && serverText == engineText && serverSqlText == engineText;
    std::printf("server: engine %ld rows, same list: %s; relational SQL %ld rows, same list: %s\n", serverCount,
                serverText == engineText ? "yes" : "NO", serverSqlCount, serverSqlText == engineText ? "yes" : "NO");
    std::printf("server engine:            %.3f s client processor, %.3f s wall\n", serverEngine.cpu, serverEngine.wall);
    std::printf("hand-tuned SQL, server:   %.3f s client processor, %.3f s wall\n", serverSql.cpu, serverSql.wall);
    std::printf("server raw ordered scan:  %.3f s client processor, %.3f s wall (%ld records, one binary COPY)\n",
                serverFloor.cpu, serverFloor.wall, serverFloorCount);
    std::printf("server engine / embedded engine: %.2f wall (target <= 1.5); server engine / server raw scan: %.2f wall\n",
                serverEngine.wall / engine.wall, serverEngine.wall / serverFloor.wall);
    std::printf("server engine / server SQL: %.2f wall\n", serverEngine.wall / serverSql.wall);
  }

  // Selective queries stay on their index: each beside a scan of the file.
  const std::string june = std::to_string(morvane::demo::DayNumber(morvane::demo::kDemoYear, 6, 1));
  const std::string juneEnd = std::to_string(morvane::demo::DayNumber(morvane::demo::kDemoYear, 6, 30));
  const std::pair<const char*, std::string> selective[] = {
      {"one carer's absences", "SSELECT ABSENCESAIDANT AVEC CodeAidantAbs = \"00042\" PAR DebAbsAidant"},
      {"one sector's month", "SSELECT ABSENCESAIDANT AVEC DebAbsAidant >= \"" + june + "\" AND <= \"" + juneEnd +
                                 "\" AND AVEC CodeSectAbs = \"001\" PAR NomAidant PAR PrenomAidant PAR DebAbsAidant"},
  };
  for (mvdb::Database* database : {db.get(), serverDb.get()}) {
    if (!database) continue;
    for (const auto& [what, query] : selective) {
      Best indexed, scanned;
      std::vector<std::string> viaIndex, viaScan;
      for (int run = 0; run < runs; ++run) {
        indexed.Time([&] { viaIndex = database->queries().SelectKeys(query, true); });
        access = database->queries().LastAccessPath();
        scanned.Time([&] { viaScan = database->queries().SelectKeys(query, false); });
      }
      same = same && viaIndex == viaScan;
      std::printf("%s, %s: %zu rows (same by both paths: %s), %s: %.4f s processor, %.4f s wall; scan: %.3f s, %.3f s wall\n",
                  database == db.get() ? "embedded" : "server", what, viaIndex.size(), viaIndex == viaScan ? "yes" : "NO",
                  access.c_str(), indexed.cpu, indexed.wall, scanned.cpu, scanned.wall);
    }
  }
  return same ? 0 : 1;
}
