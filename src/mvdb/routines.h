// Server routines: C++ functions that DBCall runs by name inside the database.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "mvdb/dynarray.h"

namespace mvdb {

class Database;

/// A server routine: takes the database and the argument array, returns the
/// answer array. Refuses bad arguments by throwing DbError kRoutineFailed.
using Routine = std::function<DynArray(Database& db, const DynArray& arguments)>;

/// Routines by exact (case-sensitive) name.
class RoutineRegistry {
 public:
  /// Adds a routine, replacing any routine of the same name.
  void Register(const std::string& name, Routine routine);
  /// The routine of that name, or nullptr. The pointer stays valid until the
  /// registry changes.
  const Routine* Find(const std::string& name) const;
  std::vector<std::string> Names() const;

 private:
  std::map<std::string, Routine> routines_;
};

/// Registers the routines every database offers ("CALCCOEFFTXHOR").
void RegisterBuiltinRoutines(RoutineRegistry& registry);

/// "CALCCOEFFTXHOR": the hourly rate of a contract that holds none.
/// Arguments: 1 contract key (CONTRAT), 2 position of the contract's last rate
/// value (digits), 3 year and month yyyymm. Answer: 1 where the rate comes from
/// ("GRILLE" or "SMIC"), 2 the hourly rate x 1000, 3 the yyyymm from which that
/// rate applies. The rate is the one of the contract's collective-agreement
/// grid (GRILLESCC keyed by CONTRAT attribute 20; attribute 10 holds the grid's
/// hourly rates x 1000, attribute 11 in parallel the yyyymm from which each
/// applies) in force that month; without a grid, or without a positive grid
/// rate in force, it is the legal minimum hourly wage of that month. Throws
/// kRoutineFailed naming the bad argument or the missing contract.
DynArray CalcCoeffTxHor(Database& db, const DynArray& arguments);

/// The legal minimum gross hourly wage in thousandths of a euro in force in
/// month yyyymm (the earliest known rate for months before the table).
int LegalMinimumHourlyRate(int yyyymm);

}  // namespace mvdb
