// The statistics export in its long format on 100,000 selected absences of
// 5,000 carers under 20,000 contracts (one in five without a rate of its own,
// so "CALCCOEFFTXHOR" computes it): builds every line as Fichier_Stat does and
// writes the file once. Prints the time of the lines, of the write and the
// total, against a target of 5 s.
//
// Usage: bench_control_export [rows] [work folder]   (defaults: 100000, /tmp/bench_control_export)
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

#include "association/hourly_rate.h"
#include "control/export_fichier.h"
#include "mvdb/database.h"
#include "services/outils_date.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

std::string Code(int n, int width) {
  std::string text = std::to_string(n);
  return std::string(width > static_cast<int>(text.size()) ? width - text.size() : 0, '0') + text;
}

void Write(mvdb::DbFile& file, const std::string& key, std::initializer_list<std::pair<int, std::string>> attrs) {
  mvdb::DynArray record = file.DBNew(key);
  for (const auto& [number, text] : attrs) record.SetItem(number, text);
  record.DBWrite();
}

// Sectors, districts, entities, grids, the reason table, carers and contracts.
void Fill(mvdb::Database& db, int carers, int contracts) {
  for (const char* name : {"ABSENCESAIDANT", "CIVILAIDANT", "TABLES", "SECTEUR", "SOUSSECTEUR", "QUARTIER",
                           "CONTRAT", "GRILLESCC", "ASSOCIATION"}) {
    db.CreateFile(name);
  }
  db.CreateFile("STATAIDANT", mvdb::FileKind::kDirectory);
  db.Transaction([&] {
    mvdb::DbFile tables = db.DBOpen("TABLES");
    mvdb::DynArray reasons = tables.DBNew("ABSENCES");
    for (int j = 1; j <= 40; ++j) {
      reasons.SetItem(2, j, Code(j, 2));
      reasons.SetItem(3, j, "Motif numéro " + std::to_string(j));
    }
    reasons.DBWrite();
    mvdb::DbFile sectors = db.DBOpen("SECTEUR"), subs = db.DBOpen("SOUSSECTEUR"), districts = db.DBOpen("QUARTIER");
    mvdb::DbFile entities = db.DBOpen("ASSOCIATION"), grids = db.DBOpen("GRILLESCC");
    for (int s = 1; s <= 20; ++s) {
      Write(sectors, Code(s, 3), {{1, "SECTEUR " + std::to_string(s)}});
      Write(subs, Code(s, 3), {{1, "SOUS-SECTEUR " + std::to_string(s)}});
      Write(districts, Code(s, 3), {{1, "QUARTIER " + std::to_string(s)}});
      Write(grids, "G" + std::to_string(s), {{7, "CATEGORIE " + std::to_string(s)}, {10, "11900"}, {11, "202401"}});
    }
    for (int e = 1; e <= 3; ++e) Write(entities, Code(e, 3), {{1, "ENTITE " + std::to_string(e)}});
    mvdb::DbFile civil = db.DBOpen("CIVILAIDANT");
    for (int c = 1; c <= carers; ++c) {
      const std::string s = Code(1 + c % 20, 3);
      Write(civil, Code(c, 5),
            {{2, "NOM" + std::to_string(c)}, {3, "PRENOM"}, {5, std::to_string(c % 90 + 1)}, {7, "RUE"},
             {8, "DES LILAS"}, {10, "42000"}, {11, "SAINT-ÉTIENNE"}, {12, "0477000000"}, {17, c % 3 ? "2" : "1"},
             {26, "4521"}, {31, s}, {32, s}, {33, s}});
    }
    mvdb::DbFile contrats = db.DBOpen("CONTRAT");
    for (int k = 1; k <= contracts; ++k) {
      mvdb::DynArray contract = contrats.DBNew("C" + Code(k, 6));
      contract.SetItem(2, Code(1 + k % 3, 3));
      contract.SetItem(15, 1, "15000");
      contract.SetItem(15, 2, "19000");
      contract.SetItem(24, 1, "3000");
      contract.SetItem(24, 2, "3500");
      contract.SetItem(25, 1, "1");
      contract.SetItem(25, 2, std::to_string(1 + k % 4));
      contract.SetItem(23, 1, "10500");
      contract.SetItem(23, 2, k % 5 == 0 ? "0" : "11250");
      if (k % 2) contract.SetItem(20, "G" + std::to_string(1 + k % 20));
      contract.SetItem(108, "AGENT");
      contract.DBWrite();
    }
  });
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::stoi(argv[1]) : 100000;
  const fs::path folder = argc > 2 ? fs::path(argv[2]) : fs::path("/tmp/bench_control_export");
  constexpr int kCarers = 5000;
  constexpr int kContracts = 20000;
  fs::remove_all(folder);
  fs::create_directories(folder);
  auto db = mvdb::Database::Create(folder / "export.mvdb");
  morvane::association::RegisterAssociationRoutines(db->routines());
  Fill(*db, kCarers, kContracts);

  // The selection: each carer's absences side by side, in the long format's columns.
  mvdb::DynArray selection;
  for (int i = 1; i <= rows; ++i) {
    const int carer = 1 + (i - 1) * kCarers / rows;
    const int start = 20505 + i % 40;  // around the March 2024 period
    selection.SetItem(i, 1, Code(carer, 5) + Code(1 + i % 40, 2) + std::to_string(start));
    selection.SetItem(i, 2, i % 2 ? "1" : "2");
    selection.SetItem(i, 3, std::to_string(start + i % 12));
    selection.SetItem(i, 4, i % 3 ? "2" : "1");
    selection.SetItem(i, 5, i % 7 ? "" : "ligne 1\r\nligne 2");
    selection.SetItem(i, 6, "C" + Code(1 + (carer * 4 + i % 4) % kContracts, 6));
    selection.SetItem(i, 7, "8000");
  }

  auto dates = morvane::services::MakeBatchOutilsDate(0, 1);
  morvane::control::Fichiers sources;
  sources.base = db.get();
  sources.civil = db->DBOpen("CIVILAIDANT");
  sources.tables = db->DBOpen("TABLES");
  sources.absences = db->DBOpen("ABSENCESAIDANT");
  sources.secteursExport = db->DBOpen("SECTEUR");
  sources.sousSecteurs = db->DBOpen("SOUSSECTEUR");
  sources.quartiers = db->DBOpen("QUARTIER");
  sources.contrats = db->DBOpen("CONTRAT");
  sources.grilles = db->DBOpen("GRILLESCC");
  sources.associations = db->DBOpen("ASSOCIATION");
  morvane::control::ParametresExport parameters;
  parameters.formatLong = true;
  parameters.txtDebut = QStringLiteral("01/03/2024");
  parameters.txtFin = QStringLiteral("31/03/2024");
  parameters.debutPeriode = 20515;
  parameters.finPeriode = 20545;
  parameters.aujourdhui = QDate(2024, 3, 15);

  const mvdb::DbFile stat = db->DBOpen("STATAIDANT");
  const auto begin = Clock::now();
  morvane::control::LignesExport lines(sources, parameters, *dates);
  mvdb::DynArray file = stat.DBNew(morvane::control::PremierNomLibre(stat, parameters.aujourdhui));
  file.SetItem(1, lines.Entete());
  db->ReadSnapshot([&] {  // as Fichier_Stat reads them: one snapshot
    for (int i = 1; !selection.Item(i, 1).empty(); ++i) file.SetItem(-1, lines.Ligne(selection, i));
  });
  const double built = Seconds(begin);
  const auto writing = Clock::now();
  const std::string name = morvane::control::EcrireNouveauFichier(stat, parameters.aujourdhui, file);
  const double written = Seconds(writing);
  const double total = Seconds(begin);

  const auto bytes = fs::file_size(folder / "export.mvdb.d" / "STATAIDANT" / name);
  std::printf("export of %d rows (long format) to %s: %.0f KiB\n", rows, name.c_str(), bytes / 1024.0);
  std::printf("  lines %.3f s (%.1f us a row), write %.3f s, total %.3f s (target under 5 s: %s)\n", built,
              built * 1e6 / rows, written, total, total < 5 ? "met" : "MISSED");
  return total < 5 ? 0 : 1;
}
