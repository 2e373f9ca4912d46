#include "association/hourly_rate.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>

#include "mvdb/database.h"
#include "mvdb/numbers.h"

namespace morvane::association {
namespace {

using mvdb::DynArray;

/// Legal minimum gross hourly wage, thousandths of a euro, by the month from
/// which it applies. Extend when a new rate is published.
constexpr std::array<std::pair<int, int>, 13> kLegalMinimum{{
    {201901, 10030}, {202001, 10150}, {202101, 10250}, {202110, 10480}, {202201, 10570},
    {202205, 10850}, {202208, 11070}, {202301, 11270}, {202305, 11520}, {202401, 11650},
    {202411, 11880}, {202501, 11880}, {202601, 12020},
}};

[[noreturn]] void Refuse(const std::string& why) {
  throw mvdb::DbError(mvdb::ErrorCode::kRoutineFailed, "CALCCOEFFTXHOR: " + why);
}

/// The month yyyymm a text holds (six digits, month 01-12), or nullopt.
std::optional<int> YearMonth(const std::string& text) {
  const auto value = mvdb::ParseCount(text);
  if (text.size() != 6 || !value || *value % 100 < 1 || *value % 100 > 12) return std::nullopt;
  return static_cast<int>(*value);
}

/// The grid's rate in force in month yyyymm: the value of attribute 10 whose
/// attribute-11 month is the latest on or before it. {0, 0} when there is none.
std::pair<int, int> GridRate(const DynArray& grid, int yyyymm) {
  std::pair<int, int> best{0, 0};  // rate, from
  const int n = std::max(grid.DCount(10), grid.DCount(11));
  for (int v = 1; v <= n; ++v) {
    const auto rate = mvdb::ParseCount(grid.Item(10, v), 999999999);
    const auto from = YearMonth(grid.Item(11, v));
    if (!rate || !from || *rate <= 0) continue;
    if (*from <= yyyymm && *from >= best.second) best = {static_cast<int>(*rate), *from};
  }
  return best;
}

}  // namespace

void RegisterAssociationRoutines(mvdb::RoutineRegistry& registry) {
  registry.Register("CALCCOEFFTXHOR", CalcCoeffTxHor);
}

int LegalMinimumHourlyRate(int yyyymm) {
  int rate = kLegalMinimum.front().second;
  for (const auto& [from, value] : kLegalMinimum)
    if (from <= yyyymm) rate = value;
  return rate;
}

DynArray CalcCoeffTxHor(mvdb::Database& db, const DynArray& arguments) {
  const std::string contractKey = arguments.Item(1);
  const std::string position = arguments.Item(2);
  if (contractKey.empty()) Refuse("argument 1 (contract key) is empty");
  if (!mvdb::ParseCount(position, 99999))
    Refuse("argument 2 (position of the last rate) must be a whole number, got \"" + position + "\"");
  const auto month = YearMonth(arguments.Item(3));
  if (!month) Refuse("argument 3 must be a year and month yyyymm, got \"" + arguments.Item(3) + "\"");

  std::optional<DynArray> contract;
  try {
    contract = db.DBOpen("CONTRAT").Find(contractKey);
  } catch (const mvdb::DbError& e) {
    Refuse("contract \"" + contractKey + "\" cannot be read: " + e.what());
  }
  if (!contract) Refuse("contract \"" + contractKey + "\" does not exist");

  DynArray answer;
  const std::string gridKey = contract->Item(20);
  if (!gridKey.empty() && db.FileExists("GRILLESCC")) {
    if (const auto grid = db.DBOpen("GRILLESCC").Find(gridKey)) {
      const auto [rate, from] = GridRate(*grid, *month);
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
    if (entry.first <= *month) from = entry.first;
  answer.SetItem(1, "SMIC");
  answer.SetItem(2, std::to_string(LegalMinimumHourlyRate(*month)));
  answer.SetItem(3, std::to_string(from));
  return answer;
}

}  // namespace morvane::association
