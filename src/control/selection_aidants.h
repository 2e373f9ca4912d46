// The contract filter's selections of a carer's contracts, answered for every
// carer by one selection of the database instead of one per carer.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "mvdb/database.h"
#include "mvdb/query/ast.h"
#include "mvdb/query/dictionary.h"

namespace morvane::control {

/// Selections that differ only by a first condition (the carer's), answered
/// from one selection without it: the contracts it selects are tested against
/// each carer's condition with the engine's own test of the engine's own
/// values of the field, so numbers compare as numbers (carer "007" finds the
/// contracts whose carer code is "7") and texts byte by byte, exactly as the
/// carer's own selection would. Keys come in key order, as that selection
/// gives them.
class ContratsGroupes {
 public:
  /// Runs `commune`, the selection without the carer's condition. Nullopt when
  /// it fails, or when a key it selects would not read back whole from a
  /// result list (marks in a key): the caller then asks carer by carer.
  static std::optional<ContratsGroupes> Selectionner(mvdb::Database& base, const std::string& commune);

  /// The keys `requete` selects, in key order; nullopt when `requete` is not
  /// the common selection with one more condition in front, or when its field
  /// cannot be read (a carer code that is query syntax, a field the dictionary
  /// lacks): the caller then runs `requete` itself.
  std::optional<std::vector<std::string>> Cles(const std::string& requete);

 private:
  // The values of one field for every contract selected, and where each
  // value (as text, and as a number when it is one) occurs.
  struct ValeursChamp {
    std::vector<std::vector<std::string>> parContrat;
    std::unordered_map<std::string, std::vector<std::size_t>> parTexte;
    std::unordered_map<double, std::vector<std::size_t>> parNombre;
  };

  ContratsGroupes(mvdb::Database& base, mvdb::query::Query commune, std::vector<std::string> cles,
                  std::vector<std::string> textes);
  const ValeursChamp& Valeurs(const mvdb::query::FieldDef& champ);

  mvdb::Database* base_;  // not owned: outlives the filter
  mvdb::query::Query commune_;
  std::vector<std::string> cles_;    // the contracts selected, ascending
  std::vector<std::string> textes_;  // their records
  std::unordered_map<std::string, ValeursChamp> champs_;  // by field name
};

}  // namespace morvane::control
