#include "mvdb/query/index_store.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <unordered_map>

#include "mvdb/errors.h"
#include "mvdb/index_tables.h"
#include "mvdb/numbers.h"
#include "mvdb/query/field_reader.h"
#include "mvdb/storage.h"

namespace mvdb::query {
namespace {

// Index rows written at most in one statement while an index is built.
constexpr std::size_t kBuildBatch = 20000;

struct Index {
  long long id = 0;
  FieldDef field;
};

// Rebuilds a stored field from its catalogue source ("A:2", "K:1,5", "@ID").
FieldDef FieldFromSource(const std::string& source, const std::string& name) {
  FieldDef def;
  def.name = name;
  if (source.rfind("A:", 0) == 0) {
    def.kind = FieldKind::kAttribute;
    def.attribute = static_cast<int>(ParseCount(std::string_view(source).substr(2)).value_or(0));
  } else if (source.rfind("K:", 0) == 0) {
    def.kind = FieldKind::kKeyPart;
    const auto comma = source.find(',');
    def.start = static_cast<int>(ParseCount(std::string_view(source).substr(2, comma - 2)).value_or(1));
    def.length = static_cast<int>(ParseCount(std::string_view(source).substr(comma + 1)).value_or(0));
  }
  return def;
}

// The smallest text greater than every text that begins with prefix, or
// nullopt when there is none (prefix of 0xFF bytes).
std::optional<std::string> PrefixUpperBound(std::string prefix) {
  while (!prefix.empty() && static_cast<unsigned char>(prefix.back()) == 0xFF) prefix.pop_back();
  if (prefix.empty()) return std::nullopt;
  prefix.back() = static_cast<char>(static_cast<unsigned char>(prefix.back()) + 1);
  return prefix;
}

using Test = IndexSelection::Test;

Test OnText(const char* op, std::string text) { return Test{op, false, std::move(text), 0, std::nullopt}; }
Test Always(bool holds) { return Test{"=", false, {}, 0, holds}; }

// The tests on an index row of one comparison. `numericSide` is true in the
// part of the selection that reads rows whose value is a number.
void AddTests(const Comparison& test, bool numericSide, std::vector<Test>& out) {
  if (test.prefix) {
    // Comparing the first n bytes of a value with an n-byte prefix P comes
    // down to ranges on the whole value, which the index serves:
    //   begins with P        P <= value < upper(P)
    //   first bytes <  P     value < P
    //   first bytes >= P     value >= P
    //   first bytes <= P     value < upper(P)
    //   first bytes >  P     value >= upper(P)
    // where upper(P) is the least text above every text beginning with P.
    // "Does not begin with P" is the union of value < P and value >= upper(P),
    // written as two terms by the caller.
    const auto upper = PrefixUpperBound(test.text);
    switch (test.op) {
      case CompareOp::kLt: out.push_back(OnText("<", test.text)); return;
      case CompareOp::kGe: out.push_back(OnText(">=", test.text)); return;
      case CompareOp::kLe: out.push_back(upper ? OnText("<", *upper) : Always(true)); return;
      case CompareOp::kGt: out.push_back(upper ? OnText(">=", *upper) : Always(false)); return;
      case CompareOp::kEq:
        out.push_back(OnText(">=", test.text));
        if (upper) out.push_back(OnText("<", *upper));
        return;
      case CompareOp::kNe: return;  // split by the caller
    }
  }
  if (numericSide && test.number) {
    out.push_back(Test{OperatorText(test.op), true, {}, *test.number, std::nullopt});
    return;
  }
  out.push_back(OnText(OperatorText(test.op), test.text));
}

// The condition's tests, folded left to right, as an OR of AND-lists.
std::vector<std::vector<const Comparison*>> Disjunction(const ResolvedCondition& condition) {
  std::vector<std::vector<const Comparison*>> terms{{&condition.tests.front()}};
  for (std::size_t i = 1; i < condition.tests.size(); ++i) {
    if (condition.joins[i - 1] == Join::kAnd) {
      for (auto& term : terms) term.push_back(&condition.tests[i]);
    } else {
      terms.push_back({&condition.tests[i]});
    }
  }
  return terms;
}

// Adds to `out` the terms of one AND-list restricted to `rows`. A "does not
// begin with" test doubles the terms: value below the prefix, or at and above
// its upper bound.
void AddTerms(const std::vector<const Comparison*>& tests, IndexSelection::Term::Rows rows, bool numericSide,
              std::vector<IndexSelection::Term>& out) {
  std::vector<IndexSelection::Term> terms{{rows, {}}};
  for (const Comparison* test : tests) {
    if (test->prefix && test->op == CompareOp::kNe) {
      const auto upper = PrefixUpperBound(test->text);
      std::vector<IndexSelection::Term> split;
      for (const auto& term : terms) {
        split.push_back(term);
        split.back().tests.push_back(OnText("<", test->text));
        if (upper) {
          split.push_back(term);
          split.back().tests.push_back(OnText(">=", *upper));
        }
      }
      terms = std::move(split);
      continue;
    }
    for (auto& term : terms) AddTests(*test, numericSide, term.tests);
  }
  out.insert(out.end(), terms.begin(), terms.end());
}

// The index rows for which the condition holds. A number compares with a
// number as a number and with a text as text: a term with a numeric test
// reads the rows holding numbers and those holding texts separately.
IndexSelection SelectionOf(const ResolvedCondition& condition) {
  using Rows = IndexSelection::Term::Rows;
  IndexSelection selection;
  for (const auto& term : Disjunction(condition)) {
    bool anyNumber = false;
    for (const Comparison* test : term) anyNumber = anyNumber || (test->number && !test->prefix);
    if (!anyNumber) {
      AddTerms(term, Rows::kAll, false, selection.terms);
    } else {
      AddTerms(term, Rows::kNumbers, true, selection.terms);
      AddTerms(term, Rows::kTexts, false, selection.terms);
    }
  }
  return selection;
}

// The selection written out whole: what its count is remembered under.
std::string CountKey(long long id, const IndexSelection& selection, std::size_t cap) {
  std::string key = std::to_string(id);
  key += ' ';
  key += std::to_string(cap);
  for (const auto& term : selection.terms) {
    key += '|';
    key += std::to_string(static_cast<int>(term.rows));
    for (const auto& test : term.tests) {
      key += ' ';
      key += test.always ? (*test.always ? "T" : "F") : test.op;
      if (test.onNumber) {
        char number[32];
        std::snprintf(number, sizeof number, "#%a", test.number);  // exact
        key += number;
      } else {  // the length first: the text may hold any byte
        key += std::to_string(test.text.size());
        key += ':';
        key += test.text;
      }
    }
  }
  return key;
}

}  // namespace

struct IndexStore::State {
  explicit State(Storage& s) : storage(s), tables(s.Indexes()), reader(s) {}

  Storage& storage;
  IndexTables& tables;
  FieldReader reader;  // reads stored fields only: never touches storage
  std::map<std::string, std::vector<Index>> byFile;
  std::vector<IndexEntry> known;  // the catalogue as last read
  std::vector<std::string_view> values;
  // Index rows counted, remembered while the database stays as it was:
  // another connection's commit changes its version, this one's writes pass
  // through OnWrite.
  std::unordered_map<std::string, std::size_t> counts;
  std::optional<std::string> countedAt;  // the version they were counted at
  std::uint64_t writes = 0;               // through this store, ever
  std::uint64_t countedAfter = 0;         // writes when they were counted

  bool checked = false;                   // the version was compared in this query

  std::size_t Counted(const std::string& key, const std::function<std::size_t()>& count) {
    if (!checked) ForgetCountsIfChanged();
    const auto it = counts.find(key);
    if (it != counts.end()) return it->second;
    return counts.emplace(key, count()).first->second;
  }

  void ForgetCountsIfChanged() {
    std::optional<std::string> version = tables.OthersVersion();
    checked = true;
    if (version && version == countedAt && writes == countedAfter) return;
    counts.clear();
    countedAt = std::move(version);
    countedAfter = writes;
  }

  void Load() {
    std::vector<IndexEntry> entries = tables.List();
    const bool same = entries.size() == known.size() &&
                      std::equal(entries.begin(), entries.end(), known.begin(), [](const auto& a, const auto& b) {
                        return a.id == b.id && a.file == b.file && a.source == b.source;
                      });
    if (same) return;
    byFile.clear();
    for (const IndexEntry& entry : entries)
      byFile[entry.file].push_back(Index{entry.id, FieldFromSource(entry.source, entry.field)});
    known = std::move(entries);
  }

  const Index* Find(const std::string& file, const std::string& source) const {
    const auto it = byFile.find(file);
    if (it == byFile.end()) return nullptr;
    for (const auto& index : it->second) {
      if (index.field.StoredSource() == source) return &index;
    }
    return nullptr;
  }

  void AppendRows(const FieldDef& field, std::string_view key, std::string_view text, IndexRows& rows) {
    RecordView record;
    record.Reset(key, text);
    reader.Values(field, record, values);
    for (std::string_view value : values) {
      rows.keys.emplace_back(key);
      rows.values.emplace_back(value);
      rows.numbers.push_back(ParseNumber(value));
    }
  }

  void OnWrite(const std::string& file, const std::vector<RecordChange>& changes) {
    ++writes;
    Load();  // another connection may have built an index since
    const auto it = byFile.find(file);
    if (it == byFile.end()) return;
    std::vector<std::string> keys;
    keys.reserve(changes.size());
    for (const auto& change : changes) keys.emplace_back(change.key);
    IndexRows rows;
    for (const Index& index : it->second) {
      tables.Remove(index.id, keys);
      rows.clear();
      for (const auto& change : changes) {
        if (change.after) AppendRows(index.field, change.key, *change.after, rows);
      }
      if (rows.size() > 0) tables.Insert(index.id, rows);
    }
  }
};

IndexStore::IndexStore(Storage& storage) : state_(std::make_shared<State>(storage)) {
  state_->Load();
  std::weak_ptr<State> weak = state_;
  storage.AddWriteHook([weak](const std::string& file, const std::vector<RecordChange>& changes) {
    if (auto state = weak.lock()) state->OnWrite(file, changes);
  });
}

IndexStore::~IndexStore() = default;

void IndexStore::Build(const std::string& file, const FieldDef& field) {
  State& s = *state_;
  if (!s.storage.HasFile(file)) throw DbError(ErrorCode::kFileNotFound, "file " + file + " does not exist");
  if (field.kind == FieldKind::kTranslation) {
    throw DbError(ErrorCode::kInvalidArgument,
                  "field " + field.name + " of " + file + " is translated through " + field.targetFile +
                      ": only stored fields can be indexed");
  }
  if (s.storage.Kind(file) != FileKind::kHashed) {
    throw DbError(ErrorCode::kInvalidArgument, "file " + file + " is a directory file: it cannot be indexed");
  }
  const std::string source = field.StoredSource();
  const FieldDef stored = FieldFromSource(source, field.name);
  s.storage.Transaction([&] {
    const long long id = s.tables.Register(file, source, field.name);
    s.tables.Recreate(id);
    IndexRows rows;
    s.storage.Scan(file, [&](const std::string& key, const std::string& text) {
      s.AppendRows(stored, key, text, rows);
      if (rows.size() >= kBuildBatch) {
        s.tables.Insert(id, rows);
        rows.clear();
      }
      return true;
    });
    if (rows.size() > 0) s.tables.Insert(id, rows);
    s.tables.Finish(id);
  });
  ++s.writes;
  s.known.clear();
  s.Load();
}

bool IndexStore::Has(const std::string& file, const FieldDef& field) const {
  return field.kind != FieldKind::kTranslation && state_->Find(file, field.StoredSource()) != nullptr;
}

std::vector<std::pair<std::string, std::string>> IndexStore::List() const {
  std::vector<std::pair<std::string, std::string>> list;
  for (const auto& [file, indexes] : state_->byFile) {
    for (const Index& index : indexes) list.emplace_back(file, index.field.name);
  }
  return list;
}

void IndexStore::StartQuery() { state_->checked = false; }

std::optional<std::size_t> IndexStore::RecordCount(const std::string& file) {
  const auto it = state_->byFile.find(file);
  if (it == state_->byFile.end()) return std::nullopt;
  for (const Index& index : it->second) {
    if (index.field.kind == FieldKind::kAttribute) continue;  // multi-valued: rows are values
    const long long id = index.id;
    return state_->Counted(std::to_string(id), [&] { return state_->tables.Count(id); });
  }
  return std::nullopt;
}

std::size_t IndexStore::Candidates(const std::string& file, const ResolvedCondition& condition,
                                   std::vector<std::string>& out, std::size_t limit) {
  const Index* index = state_->Find(file, condition.field.StoredSource());
  if (!index) throw DbError(ErrorCode::kInvalidArgument, "field " + condition.field.name + " is not indexed");
  return state_->tables.Keys(index->id, SelectionOf(condition), out, limit);
}

std::size_t IndexStore::Estimate(const std::string& file, const ResolvedCondition& condition, std::size_t cap) {
  const Index* index = state_->Find(file, condition.field.StoredSource());
  if (!index) return static_cast<std::size_t>(-1);
  const IndexSelection selection = SelectionOf(condition);
  return state_->Counted(CountKey(index->id, selection, cap),
                         [&] { return state_->tables.CountUpTo(index->id, selection, cap); });
}

}  // namespace mvdb::query
