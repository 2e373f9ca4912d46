// A small hand-made database for the query engine tests: carers, absences,
// contracts, sectors, communes, activities and their dictionaries.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "mvdb/database.h"
#include "mvdb/dynarray.h"
#include "mvdb/storage.h"

namespace mvdb::testdata {

/// Joins attributes with attribute marks (a value list joined by value marks
/// is written by the caller with Values()).
inline std::string Record(const std::vector<std::string>& attributes) {
  std::string text;
  for (std::size_t i = 0; i < attributes.size(); ++i) {
    if (i > 0) text += kAttributeMark;
    text += attributes[i];
  }
  return text;
}

inline std::string Values(const std::vector<std::string>& values) {
  std::string text;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) text += kValueMark;
    text += values[i];
  }
  return text;
}

/// Record with attribute n set (others empty).
inline std::string With(std::vector<std::pair<int, std::string>> attributes) {
  std::vector<std::string> all;
  for (const auto& [n, text] : attributes) {
    if (static_cast<int>(all.size()) < n) all.resize(n);
    all[n - 1] = text;
  }
  return Record(all);
}

/// A temporary database removed on destruction.
class TempDatabase {
 public:
  TempDatabase() {
    static int counter = 0;
    dir_ = std::filesystem::temp_directory_path() /
           ("mvq-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    db_ = Database::Create(dir_ / "test.mvdb");
  }
  ~TempDatabase() {
    db_.reset();
    std::filesystem::remove_all(dir_);
  }
  Database& db() { return *db_; }
  Storage& storage() { return db_->storage(); }
  void Put(const std::string& file, const std::string& key, const std::string& text) {
    storage().Put(file, key, text);
  }
  /// Dictionary entry: kind, then attributes 2..7.
  void Dict(const std::string& file, const std::string& name, std::vector<std::string> entry) {
    Put("DICT " + file, name, Record(entry));
  }

 private:
  std::filesystem::path dir_;
  std::unique_ptr<Database> db_;
};

/// Absences (key = carer code 5 + reason 2 + first day 5) and their carers.
inline void FillAbsences(TempDatabase& t) {
  Database& db = t.db();
  db.CreateFile("CIVILAIDANT");
  db.CreateFile("ABSENCESAIDANT");
  // carer: 2 surname, 3 first name, 11 town, 31 sector
  t.Put("CIVILAIDANT", "00001", With({{2, "MARTIN"}, {3, "Paul"}, {11, "PARIS"}, {31, "001"}}));
  t.Put("CIVILAIDANT", "00002", With({{2, "DURAND"}, {3, "Anne"}, {11, "LYON"}, {31, "002"}}));
  t.Put("CIVILAIDANT", "00003", With({{2, "MARTIN"}, {3, "Alice"}, {11, "PARIS"}, {31, "001"}}));
  t.Put("CIVILAIDANT", "00004", With({{2, "BERNARD"}, {3, "Luc"}, {11, "PAU"}, {31, "002"}}));
  // absence: 1 start half-day, 2 last day, 3 end half-day, 10 return date, 17 contracts, 28 to validate
  const std::vector<std::pair<std::string, std::string>> absences = {
      {"000010316000", With({{1, "1"}, {2, "16010"}, {3, "2"}, {17, "C1"}})},
      {"000010616050", With({{1, "2"}, {2, "16055"}, {3, "1"}, {10, "16056"}, {17, Values({"C1", "C2"})}})},
      {"000010915990", With({{1, "1"}, {2, "16002"}, {3, "2"}})},
      {"000011016100", With({{1, "1"}, {2, "16120"}, {3, "2"}})},
      {"000021216020", With({{1, "1"}, {2, "16030"}, {3, "2"}, {17, "C3"}})},
      {"000021716200", With({{1, "1"}, {2, "16210"}, {3, "2"}})},
      {"000022216040", With({{1, "1"}, {2, "16041"}, {3, "2"}, {28, "1"}})},
      {"000022916001", With({{1, "1"}, {2, ""}, {3, "2"}})},
      {"000033016005", With({{1, "1"}, {2, "16006"}, {3, "2"}, {28, "1"}})},
      {"000034216010", With({{1, "1"}, {2, "16012"}, {3, "2"}})},
      {"000035016030", With({{1, "1"}, {2, "16031"}, {3, "2"}})},
      {"000042316008", With({{1, "1"}, {2, "16009"}, {3, "2"}})},
      {"000042516100", With({{1, "1"}, {2, "16101"}, {3, "2"}})},
  };
  for (const auto& [key, text] : absences) t.Put("ABSENCESAIDANT", key, text);
  // dictionary: kind, 2, 3, 4, justification, index flag, description
  t.Dict("ABSENCESAIDANT", "NumMotifAidant", {"K", "6", "2", "", "R", "1", "reason"});
  t.Dict("ABSENCESAIDANT", "DebAbsAidant", {"K", "8", "5", "", "R", "1", "first day"});
  t.Dict("ABSENCESAIDANT", "FinAbsAidant", {"A", "2", "", "", "R", "", "last day"});
  t.Dict("ABSENCESAIDANT", "CodeSectAbs", {"T", "CIVILAIDANT", "@ID[1,5]", "31", "L", "", "sector"});
  t.Dict("ABSENCESAIDANT", "SecteurAbsAidant", {"T", "CIVILAIDANT", "@ID[1,5]", "31", "L", "", "sector"});
  t.Dict("ABSENCESAIDANT", "CommuneAbsAidant", {"T", "CIVILAIDANT", "@ID[1,5]", "11", "L", "", "town"});
  t.Dict("ABSENCESAIDANT", "NomAidant", {"T", "CIVILAIDANT", "@ID[1,5]", "2", "L", "", "surname"});
  t.Dict("ABSENCESAIDANT", "PrenomAidant", {"T", "CIVILAIDANT", "@ID[1,5]", "3", "L", "", "first name"});
}

}  // namespace mvdb::testdata
