// A small hand-made database for the selection tests: the absence, carer and
// contract files with the association's dictionaries, in a temporary folder.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "mvdb/database.h"
#include "support/database_setup.h"

namespace morvane::testing {

/// One attribute of a record: its number and its values (several values are
/// written as a multi-valued attribute).
struct Attr {
  int number;
  std::vector<std::string> values;
};

class BaseSelection {
 public:
  BaseSelection() {
    dir_ = std::filesystem::temp_directory_path() /
           ("morvane-selection-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    db_ = mvdb::Database::Create(dir_ / "test.mvdb");
    for (const char* file : {"ABSENCESAIDANT", "CIVILAIDANT", "CONTRAT"}) db_->CreateFile(file);
    ImportDictionaries(*db_, {"ABSENCESAIDANT", "CONTRAT", "CIVILAIDANT"});
    absences_ = db_->DBOpen("ABSENCESAIDANT");
    contrats_ = db_->DBOpen("CONTRAT");
  }
  ~BaseSelection() {
    absences_.Close();
    contrats_.Close();
    db_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  mvdb::Database& db() { return *db_; }
  const mvdb::DbFile& absences() const { return absences_; }
  const mvdb::DbFile& contrats() const { return contrats_; }

  void Write(const std::string& file, const std::string& key, std::initializer_list<Attr> attrs) {
    mvdb::DynArray record = db_->DBOpen(file).DBNew(key);
    for (const Attr& a : attrs) {
      for (std::size_t v = 0; v < a.values.size(); ++v) record.SetItem(a.number, static_cast<int>(v) + 1, a.values[v]);
    }
    record.DBWrite();
  }

  /// A contract: kind, entity, first and last day ("" = open-ended), and
  /// attribute 65 (anything there excludes the contract).
  void Contrat(const std::string& key, const std::string& kind, const std::string& entity,
               const std::string& start, const std::string& end, const std::string& excluded = "") {
    Write("CONTRAT", key, {{1, {kind}}, {2, {entity}}, {7, {start}}, {8, {end}}, {65, {excluded}}});
  }

  /// A result list whose rows are these absence keys with columns 2 to 5 as
  /// the selection returns them ("1", last day, "2", observation).
  static mvdb::DynArray Rows(const std::vector<std::string>& keys) {
    mvdb::DynArray rows;
    for (std::size_t i = 0; i < keys.size(); ++i) {
      const int row = static_cast<int>(i) + 1;
      rows.SetItem(row, 1, keys[i]);
      rows.SetItem(row, 2, "1");
      rows.SetItem(row, 3, "20020");
      rows.SetItem(row, 4, "2");
      rows.SetItem(row, 5, "obs");
    }
    return rows;
  }

 private:
  static inline int counter_ = 0;
  std::filesystem::path dir_;
  std::unique_ptr<mvdb::Database> db_;
  mvdb::DbFile absences_;
  mvdb::DbFile contrats_;
};

}  // namespace morvane::testing
