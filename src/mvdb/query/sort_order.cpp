#include "mvdb/query/sort_order.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "mvdb/numbers.h"
#include "mvdb/query/field_reader.h"
#include "mvdb/query/values.h"

namespace mvdb::query {
namespace {

// From this many records the packed ranks are sorted digit by digit.
constexpr std::size_t kRadixFrom = 4096;
// Records whose translations are read together.
constexpr std::size_t kPrefetchBatch = 20000;

struct SortValue {
  std::string_view text;
  std::optional<double> number;  // R-justified fields only
};

// Numbers first in numeric order, then texts byte by byte.
int CompareSortValues(const SortValue& a, const SortValue& b) {
  if (a.number && b.number) return *a.number < *b.number ? -1 : (*a.number > *b.number ? 1 : 0);
  if (a.number) return -1;
  if (b.number) return 1;
  return a.text.compare(b.text);
}

void PrefetchTranslations(const std::vector<FieldDef>& sorts, FieldReader& reader,
                          const std::vector<KeptRecord>& records) {
  std::vector<const FieldDef*> translated;
  for (const FieldDef& field : sorts) {
    if (field.kind == FieldKind::kTranslation) translated.push_back(&field);
  }
  if (translated.empty()) return;
  std::vector<RecordView> views;
  for (std::size_t first = 0; first < records.size(); first += kPrefetchBatch) {
    const std::size_t end = std::min(records.size(), first + kPrefetchBatch);
    views.resize(end - first);
    for (std::size_t i = first; i < end; ++i) views[i - first].Reset(records[i].key, records[i].text);
    reader.Prefetch(translated, views);
  }
}

// Writes the rank of each record's value of the field, among the field's
// distinct values in sort order, into ranks[i * stride]. Equal sort values
// ("1" and "01" in an R field) share a rank.
void Rank(const FieldDef& field, FieldReader& reader, const std::vector<KeptRecord>& records,
          std::uint32_t* ranks, std::size_t stride) {
  // The views point into the records, or into the reader's kept records of
  // other files: both outlive this function.
  std::vector<SortValue> distinct;
  std::unordered_map<std::string_view, std::uint32_t> idOf;  // value -> its place in distinct
  std::unordered_map<std::uint32_t, std::uint32_t> idOfWhole;  // the same for whole numbers of an R field
  RecordView view;
  std::string_view previous;
  std::uint32_t id = 0;
  // A translation through the key or a part of it gives the same value for
  // the same target key: neighbours (a carer's absences) repeat it.
  const KeyExpression& through = field.keyExpression;
  const bool throughKey = field.kind == FieldKind::kTranslation && through.kind != FieldKind::kAttribute;
  std::string_view previousTarget;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string_view key = records[i].key;
    if (throughKey) {
      const std::string_view target = through.kind == FieldKind::kKey ? key : KeyPartOf(key, through.start, through.length);
      if (i > 0 && target == previousTarget) {
        ranks[i * stride] = id;
        continue;
      }
      previousTarget = target;
    }
    std::string_view value;
    if (field.kind == FieldKind::kKey) {
      value = key;
    } else if (field.kind == FieldKind::kKeyPart) {
      value = KeyPartOf(key, field.start, field.length);
    } else {
      view.Reset(key, records[i].text);
      value = reader.FirstValue(field, view);
    }
    // Neighbours in key order often share their value (a carer's name): no look-up then.
    if (i == 0 || value != previous) {
      const auto next = static_cast<std::uint32_t>(distinct.size());
      // Whole numbers of an R field (days, codes) are looked up by number:
      // cheaper than by text, and "07" and "7" sort alike anyway.
      if (const auto whole = field.rightJustified ? ShortWholeNumber(value) : std::nullopt) {
        const auto [it, added] = idOfWhole.try_emplace(*whole, next);
        if (added) distinct.push_back({value, static_cast<double>(*whole)});
        id = it->second;
      } else {
        const auto [it, added] = idOf.try_emplace(value, next);
        if (added) distinct.push_back({value, field.rightJustified ? ParseNumber(value) : std::nullopt});
        id = it->second;
      }
      previous = value;
    }
    ranks[i * stride] = id;
  }
  std::vector<std::uint32_t> byValue(distinct.size());
  std::iota(byValue.begin(), byValue.end(), 0);
  std::sort(byValue.begin(), byValue.end(),
            [&](std::uint32_t a, std::uint32_t b) { return CompareSortValues(distinct[a], distinct[b]) < 0; });
  std::vector<std::uint32_t> rankOf(distinct.size());
  std::uint32_t rank = 0;
  for (std::size_t i = 0; i < byValue.size(); ++i) {
    if (i > 0 && CompareSortValues(distinct[byValue[i - 1]], distinct[byValue[i]]) != 0) ++rank;
    rankOf[byValue[i]] = rank;
  }
  for (std::size_t i = 0; i < records.size(); ++i) ranks[i * stride] = rankOf[ranks[i * stride]];
}

// Sorts keys on their bits [from, from + bits) by radix passes from the
// lowest digit up. Stable: keys equal on those bits keep their order.
void RadixSort(std::vector<std::uint64_t>& keys, int from, int bits) {
  constexpr int kDigitBits = 11;
  constexpr std::size_t kBuckets = std::size_t{1} << kDigitBits;
  const int passes = (bits + kDigitBits - 1) / kDigitBits;
  std::vector<std::size_t> counts(static_cast<std::size_t>(passes) * kBuckets);
  auto digit = [&](std::uint64_t key, int pass) {
    return static_cast<std::size_t>(key >> (from + pass * kDigitBits)) & (kBuckets - 1);
  };
  for (std::uint64_t key : keys) {
    for (int pass = 0; pass < passes; ++pass) ++counts[static_cast<std::size_t>(pass) * kBuckets + digit(key, pass)];
  }
  std::vector<std::uint64_t> buffer(keys.size());
  for (int pass = 0; pass < passes; ++pass) {
    std::size_t* count = counts.data() + static_cast<std::size_t>(pass) * kBuckets;
    if (std::find(count, count + kBuckets, keys.size()) != count + kBuckets) continue;  // one digit for all
    std::size_t next = 0;
    for (std::size_t b = 0; b < kBuckets; ++b) next += std::exchange(count[b], next);  // now where each digit starts
    for (std::uint64_t key : keys) buffer[count[digit(key, pass)]++] = key;
    keys.swap(buffer);
  }
}

// Bits needed to write every number below `count`.
int BitsFor(std::size_t count) {
  int bits = 0;
  while (bits < 64 && (std::size_t{1} << bits) < count) ++bits;
  return bits;
}

}  // namespace

bool SortReadsText(const std::vector<FieldDef>& sorts) {
  return std::any_of(sorts.begin(), sorts.end(), [](const FieldDef& field) {
    return field.kind == FieldKind::kAttribute ||
           (field.kind == FieldKind::kTranslation && field.keyExpression.kind == FieldKind::kAttribute);
  });
}

std::vector<std::size_t> SortOrder(const std::vector<FieldDef>& sorts, FieldReader& reader,
                                   const std::vector<KeptRecord>& records) {
  std::vector<std::size_t> order(records.size());
  std::iota(order.begin(), order.end(), 0);
  const std::size_t fields = sorts.size();
  if (fields == 0 || records.size() < 2) return order;
  PrefetchTranslations(sorts, reader, records);
  std::vector<std::uint32_t> ranks(records.size() * fields);
  for (std::size_t f = 0; f < fields; ++f) Rank(sorts[f], reader, records, ranks.data() + f, fields);
  // Records come in key order: of two records tied on every field, the
  // first in `records` has the lower key.
  std::vector<int> bits(fields);
  int totalBits = BitsFor(records.size());
  for (std::size_t f = 0; f < fields; ++f) {
    std::uint32_t most = 0;
    for (std::size_t i = 0; i < records.size(); ++i) most = std::max(most, ranks[i * fields + f]);
    bits[f] = BitsFor(most + std::size_t{1});
    totalBits += bits[f];
  }
  if (totalBits <= 64) {  // the usual case: every rank and the position packed in one integer
    const int positionBits = BitsFor(records.size());
    std::vector<std::uint64_t> packed(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
      std::uint64_t value = 0;
      for (std::size_t f = 0; f < fields; ++f) value = (value << bits[f]) | ranks[i * fields + f];
      packed[i] = (value << positionBits) | i;
    }
    // The positions are in order already: a stable sort on the ranks alone
    // leaves the ties in key order.
    if (records.size() < kRadixFrom) {
      std::sort(packed.begin(), packed.end());
    } else {
      RadixSort(packed, positionBits, totalBits - positionBits);
    }
    const std::uint64_t mask = positionBits == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << positionBits) - 1;
    for (std::size_t i = 0; i < records.size(); ++i) order[i] = static_cast<std::size_t>(packed[i] & mask);
    return order;
  }
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const std::uint32_t* ra = ranks.data() + a * fields;
    const std::uint32_t* rb = ranks.data() + b * fields;
    for (std::size_t f = 0; f < fields; ++f) {
      if (ra[f] != rb[f]) return ra[f] < rb[f];
    }
    return a < b;
  });
  return order;
}

}  // namespace mvdb::query
