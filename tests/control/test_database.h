// The database of the control tests: every file INIT opens (STATAIDANT as a
// directory file), the ACTIVITES dictionary and COMPTEUR "999", in a folder
// of the test's own; helpers to write look-up records; the engine's
// selection log.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "mvdb/database.h"
#include "support/database_setup.h"

namespace morvane::testing {

/// The database: every file INIT opens, the ACTIVITES dictionary, and a few
/// records of each look-up file. `trace` receives the engine's selection log.
class TestDatabase {
 public:
  TestDatabase() {
    static int counter = 0;
    dir_ = std::filesystem::temp_directory_path() /
           ("morvane-control-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    // The engine reads MVDB_TRACE when the database is opened.
    ::setenv("MVDB_TRACE", trace().c_str(), 1);
    db_ = mvdb::Database::Create(dir_ / "control.mvdb");
    ::unsetenv("MVDB_TRACE");
    for (const char* file : {"ABSENCESAIDANT", "CIVILAIDANT", "COMMUNES", "SECTEUR", "TABLES", "SOUSSECTEUR",
                             "QUARTIER", "ACTIVITES", "ASSOCIATION", "CONTRAT", "GRILLESCC", "COMPTEUR",
                             "ETABLISSEMENT", "CONVENTIONCOL"}) {
      db_->CreateFile(file);
    }
    db_->CreateFile("STATAIDANT", mvdb::FileKind::kDirectory);
    ImportDictionaries(*db_, {"ACTIVITES"});
    Write("COMPTEUR", "999", {{47, {"001"}}});
  }
  ~TestDatabase() {
    db_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  mvdb::Database& db() { return *db_; }
  /// The test's own folder (the database and what the outputs write).
  const std::filesystem::path& dir() const { return dir_; }
  std::string trace() const { return (dir_ / "trace.log").string(); }

  /// Writes a record: attribute number -> values (several = multi-valued).
  void Write(const std::string& file, const std::string& key,
             const std::vector<std::pair<int, std::vector<std::string>>>& attrs) {
    mvdb::DynArray record = db_->DBOpen(file).DBNew(key);
    for (const auto& [number, values] : attrs) {
      for (std::size_t v = 0; v < values.size(); ++v) record.SetItem(number, static_cast<int>(v) + 1, values[v]);
    }
    record.DBWrite();
  }

  void Secteur(const std::string& code, const std::string& label) { Write("SECTEUR", code, {{1, {label}}}); }
  void Commune(const std::string& code, const std::string& name) { Write("COMMUNES", code, {{1, {name}}}); }
  /// An entity (ASSOCIATION record) and its activities, one per type code,
  /// keyed entity code + a sequence number.
  void Entite(const std::string& code, const std::string& name, const std::vector<std::string>& types) {
    if (!name.empty()) Write("ASSOCIATION", code, {{1, {name}}});
    Activites(code, types);
  }
  void Activites(const std::string& code, const std::vector<std::string>& types) {
    for (std::size_t i = 0; i < types.size(); ++i) Write("ACTIVITES", code + std::to_string(10 + i), {{12, {types[i]}}});
  }
  /// The reason table: codes and labels at value positions 1, 2, ...
  void Motifs(const std::vector<std::pair<std::string, std::string>>& reasons) {
    std::vector<std::string> codes, labels;
    for (const auto& [code, label] : reasons) {
      codes.push_back(code);
      labels.push_back(label);
    }
    mvdb::DynArray record = db_->DBOpen("TABLES").DBNew("ABSENCES");
    record.SetItem(1, "Motifs d'absence");
    for (std::size_t v = 0; v < codes.size(); ++v) {
      record.SetItem(2, static_cast<int>(v) + 1, codes[v]);
      record.SetItem(3, static_cast<int>(v) + 1, labels[v]);
    }
    record.DBWrite();
  }

  /// The selection texts (attribute 1 of each request) logged so far, in order.
  std::vector<std::string> Requetes() const {
    std::vector<std::string> queries;
    std::ifstream in(trace());
    const std::string prefix = "[mvdb] DBSelect ";
    for (std::string line; std::getline(in, line);) {
      if (line.rfind(prefix, 0) != 0) continue;
      const std::string request = line.substr(prefix.size());
      queries.push_back(request.substr(0, request.find('^')));
    }
    return queries;
  }

 private:
  std::filesystem::path dir_;
  std::unique_ptr<mvdb::Database> db_;
};

}  // namespace morvane::testing
