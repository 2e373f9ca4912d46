// The absence selection of one request on a large demo database, with a
// legal entity typed so that every selected row goes through the contract and
// portion filters: time and rows a second of each step, and the same steps on
// a tenth of the rows to show that none of them grows faster than the rows.
//
// Usage: bench_control_request [absences] [work-folder] [server address]
// The demo database (default 1,000,000 absences) is kept in the work folder
// (default: <tmp>/bench-request) and reused by the next run of the same size.
// With a server address (or $MORVANE_BENCH_PG; the address names no schema),
// the same request runs again on its copy in the schema bench_request_<absences>
// of that server, and both are shown side by side.
#include <QCoreApplication>
#include <time.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "control/selection.h"
#include "demo/generator.h"
#include "mvdb/database.h"
#include "services/outils_date.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Processor time of this process: on a machine shared with other work the
// wall time mostly measures the wait for a processor.
double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Processor seconds since it was made (wall seconds beside).
struct Stopwatch {
  Clock::time_point wallStart = Clock::now();
  double cpuStart = CpuSeconds();
  double Cpu() const { return CpuSeconds() - cpuStart; }
  double Wall() const { return Seconds(wallStart); }
};

std::unique_ptr<mvdb::Database> DemoDatabase(const std::filesystem::path& dir, long absences) {
  const auto path = dir / ("demo-" + std::to_string(absences) + ".mvdb");
  if (std::filesystem::exists(path)) return mvdb::Database::Open(path);
  std::filesystem::create_directories(dir);
  const auto start = Clock::now();
  auto db = mvdb::Database::Create(path);
  morvane::demo::Options options;
  options.absences = absences;
  morvane::demo::Generate(*db, options);
  std::printf("demo database of %ld absences made in %.1f s\n", absences, Seconds(start));
  return db;
}

struct Mesure {
  double selection = 0, contrats = 0, portions = 0;
  long lignes = 0, gardees = 0;
};

// Runs the filters on the first `lignes` rows of the selection.
Mesure Filtrer(morvane::control::SelectionAbsences& filtres, const mvdb::DynArray& selection, int lignes) {
  Mesure m;
  mvdb::DynArray rows = selection;
  for (int row = rows.DCount(); row > lignes; --row) rows.Delete(row);
  m.lignes = rows.DCount();
  Stopwatch contracts;
  filtres.Requete_Contrat(rows);
  m.contrats = contracts.Cpu();
  Stopwatch portions;
  filtres.Exception_Absences(rows);
  m.portions = portions.Cpu();
  m.gardees = rows.DCount();
  return m;
}

// The figures of one request on one database.
struct Request {
  long count = 0;
  int kept = 0;
  double total = 0, query = 0;  // processor seconds
  double totalWall = 0, queryWall = 0;
  Mesure tout, dixieme;
  bool same = false;
  std::uint64_t empreinte = 0;  // FNV-1a of the kept rows' text, to compare runs
};

std::uint64_t Empreinte(const std::string& text) {
  std::uint64_t h = 14695981039346656037ull;
  for (const unsigned char c : text) h = (h ^ c) * 1099511628211ull;
  return h;
}

Request Run(mvdb::Database& db) {
  // Three absence types, every carer, the year 2025, entity "020" (not the
  // default one, so contracts are filtered by entity) with the activity types
  // it offers ticked, as the form ticks them.
  morvane::control::Criteres criteres;
  criteres.arretTravail = criteres.conges = criteres.autres = 1;
  criteres.aidants = morvane::control::ModeAidants::Tous;
  criteres.debut = QStringLiteral("01/01/2025");
  criteres.fin = QStringLiteral("31/12/2025");
  criteres.entite = QStringLiteral("020");
  criteres.parContrat = true;
  long count = 0;
  mvdb::DynArray types = db.DBSelect(
      mvdb::DynArray("SSELECT ACTIVITES AVEC 0 = \"020]\"\xFE" "ACTIVITES\xFE" "12").Text(), "", count);
  for (int i = 1; i <= types.DCount(); ++i) {
    criteres.prestataire |= types.Item(i, 1) == "P" || types.Item(i, 1) == "I" || types.Item(i, 1) == "S";
    criteres.mandataire |= types.Item(i, 1) == "M";
  }
  auto dates = morvane::services::MakeBatchOutilsDate(0, 1);
  const morvane::control::Periode periode{dates->DateInterne(criteres.debut).toInt(),
                                          dates->DateInterne(criteres.fin).toInt()};
  const QString entiteDefaut = QString::fromStdString(db.DBOpen("COMPTEUR").DBRead("999").Item(47));
  morvane::control::SelectionAbsences selectionAbsences(criteres, periode, periode, entiteDefaut,
                                                        morvane::control::Fichiers::De(db));

  Request r;
  // The whole selection step, as "Imprimer" runs it.
  const Stopwatch step;
  mvdb::DynArray kept;
  db.ReadSnapshot([&] {
    kept = selectionAbsences.Selectionner(r.count);
    selectionAbsences.Requete_Contrat(kept);
    selectionAbsences.Exception_Absences(kept);
  });
  r.total = step.Cpu();
  r.totalWall = step.Wall();
  r.kept = kept.DCount();
  r.empreinte = Empreinte(kept.Text());

  // The query alone, then each filter on all rows and on a tenth of them,
  // each time in one read snapshot with the query, as the selection step
  // runs them (on a server the filters then read the selected records again
  // from what the snapshot kept).
  db.ReadSnapshot([&] {
    const Stopwatch query;
    const mvdb::DynArray selection = selectionAbsences.Selectionner(r.count);
    r.query = query.Cpu();
    r.queryWall = query.Wall();
    r.tout = Filtrer(selectionAbsences, selection, selection.DCount());
  });
  db.ReadSnapshot([&] {
    const mvdb::DynArray selection = selectionAbsences.Selectionner(count);
    r.dixieme = Filtrer(selectionAbsences, selection, selection.DCount() / 10);
  });
  r.same = r.tout.gardees == r.kept;
  return r;
}

void Print(const char* where, const Request& r) {
  std::printf("-- %s (processor seconds; wall beside)\n", where);
  std::printf("rows selected              %ld  (query %.2f s, %.2f s wall, %.0f rows/s)\n", r.count, r.query,
              r.queryWall, r.count / r.query);
  std::printf("rows kept by the filters   %d  (text hash %016llx)\n", r.kept,
              static_cast<unsigned long long>(r.empreinte));
  std::printf("whole selection step       %.2f s  (%.2f s wall, %.0f selected rows/s; target <= 1.5 s)\n", r.total,
              r.totalWall, r.count / r.total);
  std::printf("contract filter            %.2f s  (%.0f rows/s)\n", r.tout.contrats, r.tout.lignes / r.tout.contrats);
  std::printf("portion filter             %.2f s  (%.0f rows/s)\n", r.tout.portions, r.tout.lignes / r.tout.portions);
  std::printf("a tenth of the rows: contract filter %.2f s, portion filter %.2f s\n", r.dixieme.contrats,
              r.dixieme.portions);
  std::printf("time ratio all / tenth: contracts %.1f, portions %.1f (10 means linear)\n",
              r.tout.contrats / r.dixieme.contrats, r.tout.portions / r.dixieme.portions);
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QCoreApplication app(argc, argv);
  const long absences = argc > 1 ? std::atol(argv[1]) : 1000000;
  const std::filesystem::path dir = argc > 2 ? argv[2] : std::filesystem::temp_directory_path() / "bench-request";
  const char* server = argc > 3 ? argv[3] : std::getenv("MORVANE_BENCH_PG");
  auto db = DemoDatabase(dir, absences);

  std::printf("absences in the database   %ld; entity 020, three types, every carer, 2025\n", absences);
  const Request embedded = Run(*db);
  Print("embedded database", embedded);
  bool same = embedded.same;
  if (server && *server) {
    const std::string size = std::to_string(absences);
    auto copy = bench::ServerCopy(*db, std::string(server) + " schema=bench_request_" + size, dir / ("server-files-" + size));
    const Request onServer = Run(*copy);
    Print("server database", onServer);
    std::printf("server / embedded, wall: whole selection step %.2f (target <= 2), query %.2f\n",
                onServer.totalWall / embedded.totalWall, onServer.queryWall / embedded.queryWall);
    same = same && onServer.same && onServer.kept == embedded.kept && onServer.count == embedded.count;
  }
  return same ? 0 : 1;
}
