#include "mvdb/query/evaluator.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <unordered_map>

#include "mvdb/numbers.h"
#include "mvdb/storage.h"
#include "mvdb/query/field_reader.h"
#include "mvdb/query/index_store.h"

namespace mvdb::query {
namespace {

// Index rows counted at most when estimating a condition's selectivity.
constexpr std::size_t kEstimateCap = 50000;
// Candidates above 1 / kScanRatio of the file are read by one scan of the file.
constexpr std::size_t kScanRatio = 4;
// Records checked together when translations need records of other files.
constexpr std::size_t kPrefetchBatch = 5000;

// The translated fields of the conditions and of the first sort.
std::vector<const FieldDef*> TranslatedFields(const Plan& plan) {
  std::vector<const FieldDef*> fields;
  for (const auto& group : plan.groups) {
    for (const auto& condition : group) {
      if (condition.field.kind == FieldKind::kTranslation) fields.push_back(&condition.field);
    }
  }
  if (!plan.sorts.empty() && plan.sorts.front().kind == FieldKind::kTranslation) fields.push_back(&plan.sorts.front());
  return fields;
}

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

SortValue SortValueOf(const FieldDef& field, FieldReader& reader, const RecordView& record) {
  SortValue value{std::string(reader.FirstValue(field, record)), std::nullopt};
  if (field.rightJustified) value.number = ParseNumber(value.text);
  return value;
}

/// Sorts the selected records by the plan's PAR fields, then by key. One sort
/// key per record is held at a time: the first field's for every record, a
/// later field's only for the records tied on the fields before it, so the
/// memory is proportional to the rows whatever the number of fields.
class Sorter {
 public:
  Sorter(const Plan& plan, FieldReader& reader, const std::vector<SelectedRecord>& selected,
         std::vector<SortValue>& firstKeys)
      : plan_(plan), reader_(reader), selected_(selected), keys_(firstKeys) {}

  std::vector<std::size_t> Order() {
    std::vector<std::size_t> order(selected_.size());
    std::iota(order.begin(), order.end(), 0);
    SortRange(order.begin(), order.end(), 0);
    return order;
  }

 private:
  using Iterator = std::vector<std::size_t>::iterator;

  // Sorts [first, last), already ordered by the fields before `field`.
  void SortRange(Iterator first, Iterator last, std::size_t field) {
    if (last - first < 2) return;
    if (field == plan_.sorts.size()) {
      std::sort(first, last, [&](std::size_t a, std::size_t b) { return selected_[a].key < selected_[b].key; });
      return;
    }
    if (field > 0) {
      for (Iterator i = first; i != last; ++i) {
        view_.Reset(selected_[*i].key, selected_[*i].text);
        keys_[*i] = SortValueOf(plan_.sorts[field], reader_, view_);
      }
    }
    std::sort(first, last, [&](std::size_t a, std::size_t b) { return CompareSortValues(keys_[a], keys_[b]) < 0; });
    while (first != last) {  // each run of equal keys is ordered by the next field
      Iterator run = first + 1;
      while (run != last && CompareSortValues(keys_[*first], keys_[*run]) == 0) ++run;
      SortRange(first, run, field + 1);
      first = run;
    }
  }

  const Plan& plan_;
  FieldReader& reader_;
  const std::vector<SelectedRecord>& selected_;
  std::vector<SortValue>& keys_;
  RecordView view_;
};

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

  // The most selective indexed condition of each group; their candidates
  // united. A single group with a single indexed condition leaves no choice:
  // nothing is estimated then.
  std::vector<const ResolvedCondition*> perGroup;
  std::size_t perGroupTotal = 0;
  bool estimated = true;
  for (const auto& group : plan.groups) {
    const ResolvedCondition* best = nullptr;
    std::size_t bestCount = 0;
    const auto indexed = std::count_if(group.begin(), group.end(),
                                       [&](const auto& condition) { return indexes_.Has(plan.file, condition.field); });
    for (const auto& condition : group) {
      if (!indexes_.Has(plan.file, condition.field)) continue;
      if (indexed == 1 && plan.groups.size() == 1) {
        best = &condition;
        estimated = false;
        break;
      }
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
  if (!estimated) {
    // Its keys straight away, as long as they are few.
    indexes_.Candidates(plan.file, *perGroup.front(), keys, kEstimateCap);
    if (keys.size() < kEstimateCap) {
      std::sort(keys.begin(), keys.end());
      keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
      return true;
    }
    keys.clear();
    perGroupTotal = kEstimateCap;
  }

  // A condition written in every group (a reporting period usually is)
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

  // A condition chosen in several groups gives its candidates once.
  std::vector<std::string> seen;
  std::erase_if(chosen, [&](const ResolvedCondition* condition) {
    std::string signature = condition->Signature();
    if (std::find(seen.begin(), seen.end(), signature) != seen.end()) return true;
    seen.push_back(std::move(signature));
    return false;
  });
  if (perGroupTotal >= kEstimateCap) {
    // Many candidates: when they are more than 1 / kScanRatio of the file,
    // one pass over the file in key order beats reading them by key (and
    // fetching their keys at all).
    if (const auto total = indexes_.RecordCount(plan.file)) {
      std::size_t counted = 0;
      for (const ResolvedCondition* condition : chosen)
        counted += indexes_.Estimate(plan.file, *condition, *total / kScanRatio + 1);
      if (counted > *total / kScanRatio) return false;
    }
  }
  for (const ResolvedCondition* condition : chosen) indexes_.Candidates(plan.file, *condition, keys);
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  return true;
}

std::vector<SelectedRecord> Evaluator::Run(const Plan& plan) {
  std::vector<SelectedRecord> result;
  storage_.ReadSnapshot([&] { result = RunInSnapshot(plan); });  // one state, locks taken once
  return result;
}

std::vector<SelectedRecord> Evaluator::RunInSnapshot(const Plan& plan) {
  stats_ = {};
  FieldReader reader(storage_);
  Matcher matcher(plan, reader);
  RecordView record;
  std::vector<SelectedRecord> selected;
  std::vector<SortValue> firstKeys;  // of the first PAR field, one per selected record

  auto check = [&](std::string&& key, std::string&& text) {
    ++stats_.candidates;
    record.Reset(key, text);
    if (!matcher.Matches(record)) return;
    if (!plan.sorts.empty()) firstKeys.push_back(SortValueOf(plan.sorts.front(), reader, record));
    storage_.Remember(plan.file, key, text);  // the caller often reads it next, by key
    selected.push_back({std::move(key), std::move(text)});
  };
  // With translated fields, records are checked in batches: the records of
  // other files that a batch needs are read together first.
  const std::vector<const FieldDef*> translated = TranslatedFields(plan);
  std::vector<SelectedRecord> batch;
  auto checkBatch = [&] {
    std::vector<RecordView> views(batch.size());
    for (std::size_t i = 0; i < batch.size(); ++i) views[i].Reset(batch[i].key, batch[i].text);
    reader.Prefetch(translated, views);
    for (auto& candidate : batch) check(std::move(candidate.key), std::move(candidate.text));
    batch.clear();
  };
  auto consider = [&](const std::string& key, const std::string& text) {
    if (translated.empty()) {
      check(std::string(key), std::string(text));
      return true;
    }
    batch.push_back({key, text});
    if (batch.size() >= kPrefetchBatch) checkBatch();
    return true;
  };

  std::vector<std::string> keys;
  if (CollectCandidates(plan, keys)) {
    storage_.GetMany(plan.file, keys, consider);
  } else {
    stats_.fullScan = true;
    storage_.Scan(plan.file, consider);
  }
  checkBatch();
  if (plan.sorts.empty()) return selected;  // already in key order

  const std::vector<std::size_t> order = Sorter(plan, reader, selected, firstKeys).Order();
  firstKeys = {};
  std::vector<SelectedRecord> sorted;
  sorted.reserve(selected.size());
  for (std::size_t i : order) sorted.push_back(std::move(selected[i]));
  return sorted;
}

}  // namespace mvdb::query
