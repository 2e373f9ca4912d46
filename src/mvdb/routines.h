// Server routines: C++ functions that DBCall runs by name inside the database.
// The engine ships none; each program registers its own.
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

}  // namespace mvdb
