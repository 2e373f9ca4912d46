// The absence selection of one request on a large demo database, with a
// legal entity typed so that every selected row goes through the contract and
// portion filters: time and rows a second of each step, and the same steps on
// a tenth of the rows to show that none of them grows faster than the rows.
//
// Usage: bench_control_request [absences] [work-folder]
// The demo database (default 1,000,000 absences) is kept in the work folder
// (default: <tmp>/bench-request) and reused by the next run of the same size.
#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "control/selection.h"
#include "demo/generator.h"
#include "mvdb/database.h"
#include "services/outils_date.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

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
  auto start = Clock::now();
  filtres.Requete_Contrat(rows);
  m.contrats = Seconds(start);
  start = Clock::now();
  filtres.Exception_Absences(rows);
  m.portions = Seconds(start);
  m.gardees = rows.DCount();
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QCoreApplication app(argc, argv);
  const long absences = argc > 1 ? std::atol(argv[1]) : 1000000;
  const std::filesystem::path dir = argc > 2 ? argv[2] : std::filesystem::temp_directory_path() / "bench-request";
  auto db = DemoDatabase(dir, absences);

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
  mvdb::DynArray types = db->DBSelect(
      mvdb::DynArray("SSELECT ACTIVITES AVEC 0 = \"020]\"\xFE" "ACTIVITES\xFE" "12").Text(), "", count);
  for (int i = 1; i <= types.DCount(); ++i) {
    criteres.prestataire |= types.Item(i, 1) == "P" || types.Item(i, 1) == "I" || types.Item(i, 1) == "S";
    criteres.mandataire |= types.Item(i, 1) == "M";
  }
  auto dates = morvane::services::MakeBatchOutilsDate(0, 1);
  const morvane::control::Periode periode{dates->DateInterne(criteres.debut).toInt(),
                                          dates->DateInterne(criteres.fin).toInt()};
  const QString entiteDefaut = QString::fromStdString(db->DBOpen("COMPTEUR").DBRead("999").Item(47));
  morvane::control::SelectionAbsences selectionAbsences(criteres, periode, periode, entiteDefaut,
                                                        morvane::control::Fichiers::De(*db));
  std::printf("entity %s, Prestataire %s, Mandataire %s\n", qPrintable(criteres.entite),
              criteres.prestataire ? "ticked" : "-", criteres.mandataire ? "ticked" : "-");

  // The whole selection step, as "Imprimer" runs it.
  auto start = Clock::now();
  mvdb::DynArray kept;
  db->ReadSnapshot([&] {
    kept = selectionAbsences.Selectionner(count);
    selectionAbsences.Requete_Contrat(kept);
    selectionAbsences.Exception_Absences(kept);
  });
  const double total = Seconds(start);

  // The query alone, then each filter on all rows and on a tenth of them.
  start = Clock::now();
  const mvdb::DynArray selection = selectionAbsences.Selectionner(count);
  const double query = Seconds(start);
  // Each filter in one read snapshot, as the selection step runs them.
  Mesure tout, dixieme;
  db->ReadSnapshot([&] { tout = Filtrer(selectionAbsences, selection, selection.DCount()); });
  db->ReadSnapshot([&] { dixieme = Filtrer(selectionAbsences, selection, selection.DCount() / 10); });

  std::printf("absences in the database   %ld\n", absences);
  std::printf("rows selected              %ld  (query %.2f s, %.0f rows/s)\n", count, query, count / query);
  std::printf("rows kept by the filters   %d\n", kept.DCount());
  std::printf("whole selection step       %.2f s  (%.0f selected rows/s)\n", total, count / total);
  std::printf("contract filter            %.2f s  (%.0f rows/s)\n", tout.contrats, tout.lignes / tout.contrats);
  std::printf("portion filter             %.2f s  (%.0f rows/s)\n", tout.portions, tout.lignes / tout.portions);
  std::printf("a tenth of the rows: contract filter %.2f s, portion filter %.2f s\n", dixieme.contrats,
              dixieme.portions);
  std::printf("time ratio all / tenth: contracts %.1f, portions %.1f (10 means linear)\n",
              tout.contrats / dixieme.contrats, tout.portions / dixieme.portions);
  return tout.gardees == kept.DCount() ? 0 : 1;
}
