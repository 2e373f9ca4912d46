// The printed list of 10,000 absences to a PDF file: time and pages a second.
//
// Usage: bench_control_list [absences-to-print] [work-folder]
// Generates a demo database, selects every absence in sector and name order,
// keeps the first N rows and prints them once with Select_Impression on a PDF
// printer (the same path a user's "Imprimer" takes after the selection).
#include <QApplication>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "control/fichiers.h"
#include "control/liste.h"
#include "demo/generator.h"
#include "mvdb/database.h"
#include "services/droits.h"
#include "services/environment.h"
#include "services/outils_date.h"
#include "services/printer_list.h"

namespace {

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const long wanted = argc > 1 ? std::atol(argv[1]) : 10000;
  const std::filesystem::path dir = argc > 2 ? argv[2] : std::filesystem::temp_directory_path() / "bench-list";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);

  auto start = Clock::now();
  auto db = mvdb::Database::Create(dir / "bench.mvdb");
  morvane::demo::Options options;
  options.absences = wanted + wanted / 5;
  morvane::demo::Generate(*db, options);
  std::printf("demo database of %ld absences: %.2f s\n", options.absences, Seconds(start));

  auto dates = morvane::services::MakeBatchOutilsDate(0, 1);
  const auto pdf = dir / "liste.pdf";
  morvane::services::PrinterList printers({{QStringLiteral("PDF"), morvane::services::PrinterInfo::Kind::Pdf, pdf}});
  const auto droits = morvane::services::MakeDroits(QStringLiteral("bench"), 2)->DroitsFichier("ABSENCESAIDANT");
  morvane::control::Criteres criteres;
  criteres.debut = QStringLiteral("01/01/2025");
  criteres.fin = QStringLiteral("31/12/2025");
  const auto fichiers = morvane::control::Fichiers::De(*db);

  long count = 0;
  mvdb::DynArray request;
  request.SetItem(1, "SSELECT ABSENCESAIDANT PAR SecteurAbsAidant PAR NomAidant PAR PrenomAidant PAR DebAbsAidant");
  request.SetItem(2, "ABSENCESAIDANT");
  request.SetItem(3, "0 1 2 3 29");
  mvdb::DynArray rows = db->DBSelect(request.Text(), "", count);
  for (int row = rows.DCount(); row > wanted; --row) rows.Delete(row);

  printers.SetCurrent(0);
  morvane::control::ListeAbsences liste(
      {criteres, fichiers, printers.Current(), *droits, *dates, QDate(2025, 6, 15), 567, {}});
  start = Clock::now();
  const std::clock_t cpuStart = std::clock();
  liste.Select_Impression(rows);
  const int pages = printers.Current().PageCount();
  printers.Current().EndDoc();
  const double seconds = Seconds(start);
  const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  std::printf("list of %d absences: %d pages in %.2f s wall, %.2f s processor: %.0f pages/s wall, %.0f pages/s processor\n",
              rows.DCount(), pages, seconds, cpu, pages / seconds, pages / cpu);
  std::printf("PDF: %s (%.1f MB)\n", pdf.c_str(), std::filesystem::file_size(pdf) / 1e6);
  return 0;
}
