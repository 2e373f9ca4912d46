// The routine registry.
#include "mvdb/routines.h"

#include <utility>

namespace mvdb {

void RoutineRegistry::Register(const std::string& name, Routine routine) { routines_[name] = std::move(routine); }

const Routine* RoutineRegistry::Find(const std::string& name) const {
  const auto it = routines_.find(name);
  return it == routines_.end() ? nullptr : &it->second;
}

std::vector<std::string> RoutineRegistry::Names() const {
  std::vector<std::string> names;
  for (const auto& [name, routine] : routines_) names.push_back(name);
  return names;
}

}  // namespace mvdb
