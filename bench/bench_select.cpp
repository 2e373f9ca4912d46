// The absence selection of the list ("all four types, Totalité, one calendar
// year, Dans la période de référence, alphabetical order") on a demo database
// of a million absences, timed side by side with the same selection written as
// hand-tuned SQL over the same data stored relationally in a separate SQLite
// file. Prints both times and their ratio.
//
// Usage: bench_select [absences] [work folder]   (defaults: 1000000, /tmp/bench_select)
// The generated databases are kept in the work folder and reused by later runs.
#include <sqlite3.h>

#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "demo/day_numbers.h"
#include "demo/generator.h"
#include "mvdb/database.h"
#include "mvdb/dynarray.h"
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

  const int runs = 3;
  double bestEngine = 1e9, bestSql = 1e9, cpuEngine = 1e9, cpuSql = 1e9;
  long engineCount = 0, sqlCount = 0;
  std::string engineText, sqlText;
  for (int run = 0; run < runs; ++run) {
    auto started = Clock::now();
    double cpu = CpuSeconds();
    engineText = db->DBSelect(requestText, "", engineCount).Text();
    bestEngine = std::min(bestEngine, Seconds(started));
    cpuEngine = std::min(cpuEngine, CpuSeconds() - cpu);
    started = Clock::now();
    cpu = CpuSeconds();
    sqlText = RunSql(rel, s, e, sqlCount);
    bestSql = std::min(bestSql, Seconds(started));
    cpuSql = std::min(cpuSql, CpuSeconds() - cpu);
  }
  sqlite3_close(rel);

  std::printf("absences: %ld, selected: engine %ld rows, SQL %ld rows, same list: %s\n", absences, engineCount,
              sqlCount, engineText == sqlText ? "yes" : "NO");
  std::printf("engine query:   %.3f s wall, %.3f s processor (best of %d)\n", bestEngine, cpuEngine, runs);
  std::printf("hand-tuned SQL: %.3f s wall, %.3f s processor (best of %d)\n", bestSql, cpuSql, runs);
  std::printf("ratio engine / SQL: %.2f wall, %.2f processor (target <= 1.5, engine under 1 s)\n",
              bestEngine / bestSql, cpuEngine / cpuSql);
  return engineText == sqlText ? 0 : 1;
}
