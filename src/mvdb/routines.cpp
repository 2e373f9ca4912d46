// The routine registry and the built-in server routines.
#include "mvdb/routines.h"

#include <algorithm>
#include <array>
#include <utility>

#include "mvdb/database.h"

namespace mvdb {
namespace {

/// Legal minimum gross hourly wage, thousandths of a euro, by the month from
/// which it applies. Extend when a new rate is published.
constexpr std::array<std::pair<int, int>, 13> kLegalMinimum{{
    {201901, 10030}, {202001, 10150}, {202101, 10250}, {202110, 10480}, {202201, 10570},
    {202205, 10850}, {202208, 11070}, {202301, 11270}, {202305, 11520}, {202401, 11650},
    {202411, 11880}, {202501, 11880}, {202601, 12020},
}};

[[noreturn]] void Refuse(const std::string& why) {
  throw DbError(ErrorCode::kRoutineFailed, "CALCCOEFFTXHOR: " + why);
}

bool AllDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsYearMonth(const std::string& text) {
  if (text.size() != 6 || !AllDigits(text)) return false;
  const int month = std::stoi(text.substr(4));
  return month >= 1 && month <= 12;
}

/// The grid's rate in force in month yyyymm: the value of attribute 10 whose
/// attribute-11 month is the latest on or before it. 0 when there is none.
std::pair<int, int> GridRate(const DynArray& grid, int yyyymm) {
  std::pair<int, int> best{0, 0};  // rate, from
  const int n = std::max(grid.DCount(10), grid.DCount(11));
  for (int v = 1; v <= n; ++v) {
    const std::string rate = grid.Item(10, v);
    const std::string from = grid.Item(11, v);
    if (!AllDigits(rate) || !IsYearMonth(from) || rate.size() > 9) continue;
    const int month = std::stoi(from);
    if (month <= yyyymm && month >= best.second && std::stoi(rate) > 0) best = {std::stoi(rate), month};
  }
  return best;
}

}  // namespace

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

void RegisterBuiltinRoutines(RoutineRegistry& registry) { registry.Register("CALCCOEFFTXHOR", CalcCoeffTxHor); }

int LegalMinimumHourlyRate(int yyyymm) {
  int rate = kLegalMinimum.front().second;
  for (const auto& [from, value] : kLegalMinimum)
    if (from <= yyyymm) rate = value;
  return rate;
}

DynArray CalcCoeffTxHor(Database& db, const DynArray& arguments) {
  const std::string contractKey = arguments.Item(1);
  const std::string position = arguments.Item(2);
  const std::string yearMonth = arguments.Item(3);
  if (contractKey.empty()) Refuse("argument 1 (contract key) is empty");
  if (!AllDigits(position) || position.size() > 5)
    Refuse("argument 2 (position of the last rate) must be a whole number, got \"" + position + "\"");
  if (!IsYearMonth(yearMonth)) Refuse("argument 3 must be a year and month yyyymm, got \"" + yearMonth + "\"");
  const int month = std::stoi(yearMonth);

  DynArray contract;
  try {
    contract = db.DBOpen("CONTRAT").DBRead(contractKey);
  } catch (const DbError& e) {
    Refuse("contract \"" + contractKey + "\" cannot be read: " + e.what());
  }

  DynArray answer;
  const std::string gridKey = contract.Item(20);
  if (!gridKey.empty() && db.FileExists("GRILLESCC")) {
    const DbFile grids = db.DBOpen("GRILLESCC");
    if (grids.Exists(gridKey)) {
      const auto [rate, from] = GridRate(grids.DBRead(gridKey), month);
      if (rate > 0) {
        answer.SetItem(1, "GRILLE");
        answer.SetItem(2, std::to_string(rate));
        answer.SetItem(3, std::to_string(from));
        return answer;
      }
    }
  }
  int from = kLegalMinimum.front().first;
  for (const auto& entry : kLegalMinimum)
    if (entry.first <= month) from = entry.first;
  answer.SetItem(1, "SMIC");
  answer.SetItem(2, std::to_string(LegalMinimumHourlyRate(month)));
  answer.SetItem(3, std::to_string(from));
  return answer;
}

}  // namespace mvdb
