#include "mvdb/query/evaluator.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <unordered_map>

#include "mvdb/storage.h"
#include "mvdb/query/field_reader.h"
#include "mvdb/query/index_store.h"
#include "mvdb/query/sql.h"

namespace mvdb::query {
namespace {

// Index rows counted at most when estimating a condition's selectivity.
constexpr std::size_t kEstimateCap = 50000;
// Candidates above 1 / kScanRatio of the file are read by one scan of the file.
constexpr std::size_t kScanRatio = 4;

class Matcher {
 public:
  Matcher(const Plan& plan, FieldReader& reader) : plan_(plan), reader_(reader) {}

  bool Matches(const RecordView& record) {
    if (plan_.groups.empty()) return true;
    for (const auto& group : plan_.groups) {
      if (std::all_of(group.begin(), group.end(), [&](const auto& c) { return Holds(c, record); })) return true;
    }
    return false;
  }

 private:
  bool Holds(const ResolvedCondition& condition, const RecordView& record) {
    reader_.Values(condition.field, record, values_);
    return std::any_of(values_.begin(), values_.end(), [&](std::string_view v) { return condition.HoldsFor(v); });
  }

  const Plan& plan_;
  FieldReader& reader_;
  std::vector<std::string_view> values_;
};

struct SortValue {
  std::string text;
  std::optional<double> number;  // R-justified fields only
};

// Numbers first in numeric order, then texts byte by byte.
int CompareSortValues(const SortValue& a, const SortValue& b) {
  if (a.number && b.number) return *a.number < *b.number ? -1 : (*a.number > *b.number ? 1 : 0);
  if (a.number) return -1;
  if (b.number) return 1;
  return a.text.compare(b.text);
}

}  // namespace

Evaluator::Evaluator(Storage& storage, IndexStore& indexes, bool useIndexes)
    : storage_(storage), indexes_(indexes), useIndexes_(useIndexes) {}

bool Evaluator::CollectCandidates(const Plan& plan, std::vector<std::string>& keys) {
  if (!useIndexes_ || plan.groups.empty()) return false;
  std::unordered_map<std::string, std::size_t> estimates;  // by condition signature
  auto estimate = [&](const ResolvedCondition& condition) {
    const std::string signature = condition.Signature();
    auto it = estimates.find(signature);
    if (it == estimates.end()) {
      it = estimates.emplace(signature, indexes_.Estimate(plan.file, condition, kEstimateCap)).first;
    }
    return it->second;
  };

  // The most selective indexed condition of each group; their candidates united.
  std::vector<const ResolvedCondition*> perGroup;
  std::size_t perGroupTotal = 0;
  for (const auto& group : plan.groups) {
    const ResolvedCondition* best = nullptr;
    std::size_t bestCount = 0;
    for (const auto& condition : group) {
      if (!indexes_.Has(plan.file, condition.field)) continue;
      const std::size_t count = estimate(condition);
      if (!best || count < bestCount) {
        best = &condition;
        bestCount = count;
      }
    }
    if (!best) return false;  // this group needs a full scan anyway
    perGroup.push_back(best);
    perGroupTotal += bestCount;
  }

  // A condition written in every group (the period of the absence query is)
  // bounds the whole selection alone; take it when it promises fewer keys.
  std::vector<const ResolvedCondition*> chosen = perGroup;
  if (plan.groups.size() > 1) {
    for (const auto& condition : plan.groups.front()) {
      if (!indexes_.Has(plan.file, condition.field)) continue;
      const std::string signature = condition.Signature();
      const bool everywhere = std::all_of(plan.groups.begin() + 1, plan.groups.end(), [&](const auto& group) {
        return std::any_of(group.begin(), group.end(), [&](const auto& c) { return c.Signature() == signature; });
      });
      if (everywhere && estimate(condition) <= perGroupTotal) {
        chosen = {&condition};
        perGroupTotal = estimate(condition);
      }
    }
  }

  std::vector<std::string> seen;
  for (const ResolvedCondition* condition : chosen) {
    std::string signature = condition->Signature();
    if (std::find(seen.begin(), seen.end(), signature) != seen.end()) continue;
    seen.push_back(std::move(signature));
    indexes_.Candidates(plan.file, *condition, keys);
  }
  if (seen.size() > 1 || !std::is_sorted(keys.begin(), keys.end())) {
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  } else {
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  }
  return true;
}

std::vector<SelectedRecord> Evaluator::Run(const Plan& plan) {
  stats_ = {};
  ReadTransaction transaction(storage_.Handle());  // one snapshot, locks taken once
  FieldReader reader(storage_);
  Matcher matcher(plan, reader);
  RecordView record;
  std::vector<SelectedRecord> selected;
  std::vector<SortValue> sortValues;  // plan.sorts.size() per selected record
  const std::size_t width = plan.sorts.size();

  auto consider = [&](const std::string& key, std::string&& text) {
    ++stats_.candidates;
    record.Reset(key, text);
    if (!matcher.Matches(record)) return;
    for (const auto& field : plan.sorts) {
      SortValue value{std::string(reader.FirstValue(field, record)), std::nullopt};
      if (field.rightJustified) value.number = ParseNumber(value.text);
      sortValues.push_back(std::move(value));
    }
    selected.push_back({key, std::move(text)});
  };

  std::vector<std::string> keys;
  if (CollectCandidates(plan, keys)) {
    const auto total = indexes_.RecordCount(plan.file);
    if (total && keys.size() * kScanRatio > *total) {
      // Many candidates: one pass over the file in key order beats a look-up
      // per key; the sorted candidates are walked alongside.
      auto next = keys.begin();
      storage_.Scan(plan.file, [&](const std::string& key, const std::string& text) {
        while (next != keys.end() && *next < key) ++next;
        if (next == keys.end()) return false;
        if (*next == key) consider(key, std::string(text));
        return true;
      });
    } else {
      for (const auto& key : keys) {
        if (auto text = storage_.Get(plan.file, key)) consider(key, std::move(*text));
      }
    }
  } else {
    stats_.fullScan = true;
    storage_.Scan(plan.file, [&](const std::string& key, const std::string& text) {
      consider(key, std::string(text));
      return true;
    });
  }
  if (width == 0) return selected;  // already in key order

  std::vector<std::size_t> order(selected.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    for (std::size_t f = 0; f < width; ++f) {
      const int c = CompareSortValues(sortValues[a * width + f], sortValues[b * width + f]);
      if (c != 0) return c < 0;
    }
    return selected[a].key < selected[b].key;
  });
  std::vector<SelectedRecord> sorted;
  sorted.reserve(selected.size());
  for (std::size_t i : order) sorted.push_back(std::move(selected[i]));
  return sorted;
}

}  // namespace mvdb::query
