#include "mvdb/query/evaluator.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "mvdb/dynarray.h"
#include "mvdb/storage.h"
#include "mvdb/query/field_reader.h"
#include "mvdb/query/index_store.h"
#include "mvdb/query/row_builder.h"
#include "mvdb/query/text_arena.h"
#include "mvdb/query/values.h"

namespace mvdb::query {
namespace {

// Index rows counted at most when estimating a condition's selectivity.
constexpr std::size_t kEstimateCap = 10000;
// Candidates above 1 / kScanRatio of the file are read by one scan of the file.
constexpr std::size_t kScanRatio = 4;
// Below this many candidates reading them by key costs little whatever the
// file's size: the file's records are not even counted.
constexpr std::size_t kSmallSelection = 1000;
// Records checked together when translations need records of other files.
constexpr std::size_t kPrefetchBatch = 5000;

// The translated fields of the conditions.
std::vector<const FieldDef*> TranslatedFields(const Plan& plan) {
  std::vector<const FieldDef*> fields;
  for (const auto& group : plan.groups) {
    for (const auto& condition : group) {
      if (condition.field.kind == FieldKind::kTranslation) fields.push_back(&condition.field);
    }
  }
  return fields;
}

// What conditions with the same result for every record share: the
// signature, which names stored data only, and a translated field's name.
std::string SlotName(const ResolvedCondition& condition) {
  if (condition.field.kind != FieldKind::kTranslation) return condition.Signature();
  return condition.field.name + " " + condition.Signature();
}

// Checks records against the plan's condition. A condition written in every
// group (a reporting period usually is) is tested first, once: a record
// outside the period fails after one or two tests. Conditions written alike
// in some groups share one result per record, and each group tries them
// first.
class Matcher {
 public:
  Matcher(const Plan& plan, FieldReader& reader) : plan_(plan), reader_(reader) {
    std::map<std::string, std::size_t> slots;
    std::vector<std::size_t> groupsOf;   // by slot: how many groups test it
    std::vector<std::size_t> lastGroup;  // by slot: the last group counted
    std::vector<std::vector<Step>> steps;
    for (std::size_t g = 0; g < plan.groups.size(); ++g) {
      auto& groupSteps = steps.emplace_back();
      for (const auto& condition : plan.groups[g]) {
        const std::size_t slot = slots.emplace(SlotName(condition), slots.size()).first->second;
        if (slot == groupsOf.size()) {
          groupsOf.push_back(0);
          lastGroup.push_back(g);
        }
        if (groupsOf[slot] == 0 || lastGroup[slot] != g) ++groupsOf[slot];
        lastGroup[slot] = g;
        groupSteps.push_back({&condition, slot});
      }
    }
    for (auto& groupSteps : steps) {
      std::stable_sort(groupSteps.begin(), groupSteps.end(),
                       [&](const Step& a, const Step& b) { return groupsOf[a.slot] > groupsOf[b.slot]; });
    }
    auto everywhere = [&](const Step& step) { return groupsOf[step.slot] == plan.groups.size(); };
    if (!steps.empty()) {
      for (const Step& step : steps.front()) {
        const bool seen = std::any_of(common_.begin(), common_.end(), [&](const Step& s) { return s.slot == step.slot; });
        if (everywhere(step) && !seen) common_.push_back(step);
      }
    }
    for (auto& groupSteps : steps) {
      std::erase_if(groupSteps, everywhere);
      someGroupIsCommonOnly_ = someGroupIsCommonOnly_ || groupSteps.empty();
    }
    steps_ = std::move(steps);
    results_.resize(slots.size());
  }

  /// True when the record satisfies the condition. With storedOnly, the
  /// translated conditions count as true: false then means that no
  /// translation can make the record match.
  bool Matches(const RecordView& record, bool storedOnly = false) {
    if (plan_.groups.empty()) return true;
    for (const Step& step : common_) {
      if (storedOnly && step.condition->field.kind == FieldKind::kTranslation) continue;
      if (!AnyValueHolds(*step.condition, record)) return false;
    }
    if (someGroupIsCommonOnly_) return true;
    std::fill(results_.begin(), results_.end(), Result::kUnknown);
    for (const auto& group : steps_) {
      bool holds = true;
      for (std::size_t c = 0; c < group.size() && holds; ++c) {
        if (storedOnly && group[c].condition->field.kind == FieldKind::kTranslation) continue;
        holds = Holds(*group[c].condition, group[c].slot, record);
      }
      if (holds) return true;
    }
    return false;
  }

 private:
  enum class Result : unsigned char { kUnknown, kFalse, kTrue };
  struct Step {
    const ResolvedCondition* condition;
    std::size_t slot;  // of its result
  };

  bool Holds(const ResolvedCondition& condition, std::size_t slot, const RecordView& record) {
    if (results_[slot] == Result::kUnknown) results_[slot] = AnyValueHolds(condition, record) ? Result::kTrue : Result::kFalse;
    return results_[slot] == Result::kTrue;
  }

  // Stored fields are read in place, value by value; translations through
  // the reader.
  bool AnyValueHolds(const ResolvedCondition& condition, const RecordView& record) {
    const FieldDef& field = condition.field;
    switch (field.kind) {
      case FieldKind::kKey: return condition.HoldsFor(record.key);
      case FieldKind::kKeyPart: return condition.HoldsFor(KeyPartOf(record.key, field.start, field.length));
      case FieldKind::kAttribute:
        for (std::string_view rest = AttributeOf(record.text, field.attribute);;) {
          const std::size_t mark = rest.find(kValueMark);
          if (condition.HoldsFor(rest.substr(0, mark))) return true;
          if (mark == std::string_view::npos) return false;
          rest.remove_prefix(mark + 1);
        }
      case FieldKind::kTranslation: break;
    }
    reader_.Values(field, record, values_);
    return std::any_of(values_.begin(), values_.end(), [&](std::string_view v) { return condition.HoldsFor(v); });
  }

  const Plan& plan_;
  FieldReader& reader_;
  std::vector<Step> common_;              // the conditions of every group, tried first
  bool someGroupIsCommonOnly_ = false;   // a group holds once its common conditions do
  std::vector<std::vector<Step>> steps_;  // by group, the others, in the order tried
  std::vector<Result> results_;          // of the record being checked, by slot
  std::vector<std::string_view> values_;
};

std::string Names(const std::vector<const ResolvedCondition*>& conditions) {
  std::string names;
  for (const ResolvedCondition* condition : conditions) {
    if (!names.empty()) names += '+';
    names += condition->field.name;
  }
  return names;
}

}  // namespace

Evaluator::Evaluator(Storage& storage, IndexStore& indexes, bool useIndexes)
    : storage_(storage), indexes_(indexes), useIndexes_(useIndexes) {}

bool Evaluator::CollectCandidates(const Plan& plan, std::vector<std::string>& keys) {
  if (plan.groups.empty()) {
    stats_.access = "scan (no condition)";
    return false;
  }
  if (!useIndexes_) {
    stats_.access = "scan (indexes not used)";
    return false;
  }
  indexes_.StartQuery();
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
  // nothing is estimated then, its keys are read straight away.
  std::vector<const ResolvedCondition*> chosen;
  std::size_t promised = 0;  // keys the chosen conditions promise, each counted up to kEstimateCap
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
    if (!best) {
      stats_.access = "scan (no index)";  // this group needs a full scan anyway
      return false;
    }
    chosen.push_back(best);
    promised += bestCount;
  }
  bool haveKeys = false;
  if (!estimated) {
    promised = indexes_.Candidates(plan.file, *chosen.front(), keys, kEstimateCap);
    haveKeys = promised < kEstimateCap;
    if (!haveKeys) keys.clear();
  } else if (plan.groups.size() > 1) {
    // A condition written in every group (a reporting period usually is)
    // bounds the whole selection alone; take it when it promises fewer keys.
    for (const auto& condition : plan.groups.front()) {
      if (!indexes_.Has(plan.file, condition.field)) continue;
      const std::string signature = condition.Signature();
      const bool everywhere = std::all_of(plan.groups.begin() + 1, plan.groups.end(), [&](const auto& group) {
        return std::any_of(group.begin(), group.end(), [&](const auto& c) { return c.Signature() == signature; });
      });
      if (everywhere && estimate(condition) <= promised) {
        chosen = {&condition};
        promised = estimate(condition);
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
  if (promised >= kSmallSelection) {
    // Many candidates: when they are more than 1 / kScanRatio of the file,
    // one pass over the file in key order beats reading them by key (and
    // fetching their keys at all).
    if (const auto records = indexes_.RecordCount(plan.file)) {
      const std::size_t quarter = *records / kScanRatio;
      if (promised >= kEstimateCap && quarter >= kEstimateCap) {  // counted up to the cap only: count on
        promised = 0;
        for (const ResolvedCondition* condition : chosen) promised += indexes_.Estimate(plan.file, *condition, quarter + 1);
      }
      if (promised > quarter) {
        stats_.access = "scan (estimate " + std::to_string(promised) + " of " + std::to_string(*records) + ")";
        keys.clear();
        return false;
      }
    }
  }
  if (!haveKeys) {
    for (const ResolvedCondition* condition : chosen) indexes_.Candidates(plan.file, *condition, keys);
  }
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  stats_.access = "index " + Names(chosen) + " (estimate " + std::to_string(promised) + ")";
  return true;
}

std::vector<std::string> Evaluator::Run(const Plan& plan, const std::vector<int>& columns) {
  std::vector<std::string> result;
  storage_.ReadSnapshot([&] { result = RunInSnapshot(plan, columns); });  // one state, locks taken once
  return result;
}

std::vector<std::string> Evaluator::RunInSnapshot(const Plan& plan, const std::vector<int>& columns) {
  stats_ = {};
  FieldReader reader(storage_);
  Matcher matcher(plan, reader);
  RecordView record;
  // The selected records in key order, copied into one arena: their keys,
  // and their rows built as they are selected, while each record is at hand;
  // or, when the sort reads the records' attributes, their whole texts, and
  // the rows built once the order is known.
  TextArena arena;
  std::vector<KeptRecord> kept;
  const bool rowsAtOnce = !SortReadsText(plan.sorts);
  RowBuilder rows(columns);

  // With translated conditions, records are checked in batches: the records
  // of other files that a batch needs are read together first. Records that
  // fail on their own fields already are left out of the batch.
  const std::vector<const FieldDef*> translated = TranslatedFields(plan);
  std::vector<std::pair<std::string, std::string>> batch;  // keys and texts
  auto keep = [&](const std::string& key, const std::string& text) {
    storage_.Remember(plan.file, key, text);  // the caller often reads it next, by key
    const std::string_view keptKey = arena.Keep(key);
    kept.push_back({keptKey, arena.Keep(rowsAtOnce ? rows.RowView(key, text) : std::string_view(text))});
  };
  auto checkBatch = [&] {
    std::vector<RecordView> views(batch.size());
    for (std::size_t i = 0; i < batch.size(); ++i) views[i].Reset(batch[i].first, batch[i].second);
    reader.Prefetch(translated, views);
    for (const auto& [key, text] : batch) {
      record.Reset(key, text);
      if (matcher.Matches(record)) keep(key, text);
    }
    batch.clear();
  };
  auto consider = [&](const std::string& key, const std::string& text) {
    ++stats_.candidates;
    record.Reset(key, text);
    if (translated.empty()) {
      if (matcher.Matches(record)) keep(key, text);
    } else if (matcher.Matches(record, true)) {
      batch.push_back({key, text});
      if (batch.size() >= kPrefetchBatch) checkBatch();
    }
    return true;
  };

  std::vector<std::string> keys;
  if (CollectCandidates(plan, keys)) {
    storage_.GetMany(plan.file, keys, consider);
  } else {
    stats_.fullScan = true;
    storage_.Scan(plan.file, consider);
  }
  if (!batch.empty()) checkBatch();

  const std::vector<std::size_t> order = SortOrder(plan.sorts, reader, kept);
  std::vector<std::string> selected;
  selected.reserve(kept.size());
  for (const std::size_t at : order) {
    selected.push_back(rowsAtOnce ? std::string(kept[at].text) : rows.Row(kept[at].key, kept[at].text));
  }
  return selected;
}

}  // namespace mvdb::query
