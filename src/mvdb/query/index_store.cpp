#include "mvdb/query/index_store.h"

#include <map>
#include <optional>
#include <variant>

#include "mvdb/errors.h"
#include "mvdb/numbers.h"
#include "mvdb/storage.h"
#include "mvdb/query/field_reader.h"
#include "mvdb/sqlite_statement.h"

namespace mvdb::query {
namespace {

struct Index {
  long long id = 0;
  FieldDef field;
  std::unique_ptr<sql::Statement> insert;
  std::unique_ptr<sql::Statement> remove;
};

constexpr const char* kCreateCatalogue =
    "CREATE TABLE IF NOT EXISTS mvq_index_catalogue(id INTEGER PRIMARY KEY, file TEXT NOT NULL, "
    "source TEXT NOT NULL, field TEXT NOT NULL, UNIQUE(file, source))";

std::string TableName(long long id) { return "mvq_idx_" + std::to_string(id); }

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

// A parameter of a generated SQL statement.
struct Parameter {
  enum class Type { kText, kNumber } type;
  std::string text;
  double number = 0;
};

const char* SqlOperator(CompareOp op) {
  switch (op) {
    case CompareOp::kEq: return " = ";
    case CompareOp::kNe: return " <> ";
    case CompareOp::kLt: return " < ";
    case CompareOp::kLe: return " <= ";
    case CompareOp::kGt: return " > ";
    case CompareOp::kGe: return " >= ";
  }
  return " = ";
}

// The smallest text greater than every text that begins with prefix, or
// nullopt when there is none (prefix of 0xFF bytes).
std::optional<std::string> PrefixUpperBound(std::string prefix) {
  while (!prefix.empty() && static_cast<unsigned char>(prefix.back()) == 0xFF) prefix.pop_back();
  if (prefix.empty()) return std::nullopt;
  prefix.back() = static_cast<char>(static_cast<unsigned char>(prefix.back()) + 1);
  return prefix;
}

// SQL predicate of one test on an index row. `numericSide` is true in the
// part of the query that reads rows whose value is a number.
std::string Predicate(const Comparison& test, bool numericSide, std::vector<Parameter>& params) {
  if (test.prefix) {
    // Comparing the first n bytes of a value with an n-byte prefix P comes
    // down to ranges on the whole value, which the index serves:
    //   begins with P        P <= value < upper(P)
    //   first bytes <  P     value < P
    //   first bytes >= P     value >= P
    //   first bytes <= P     value < upper(P)
    //   first bytes >  P     value >= upper(P)
    // where upper(P) is the least text above every text beginning with P.
    const auto upper = PrefixUpperBound(test.text);
    auto lower = [&](const char* op) {
      params.push_back({Parameter::Type::kText, test.text});
      return std::string("value ") + op + " ?";
    };
    auto above = [&](const char* op) {
      params.push_back({Parameter::Type::kText, *upper});
      return std::string("value ") + op + " ?";
    };
    switch (test.op) {
      case CompareOp::kLt: return lower("<");
      case CompareOp::kGe: return lower(">=");
      case CompareOp::kLe: return upper ? above("<") : "1";
      case CompareOp::kGt: return upper ? above(">=") : "0";
      case CompareOp::kEq:
      case CompareOp::kNe: {
        std::string range = lower(">=");
        if (upper) range += " AND " + above("<");
        return test.op == CompareOp::kEq ? "(" + range + ")" : "NOT (" + range + ")";
      }
    }
  }
  if (numericSide && test.number) {
    params.push_back({Parameter::Type::kNumber, "", *test.number});
    return std::string("num") + SqlOperator(test.op) + "?";
  }
  params.push_back({Parameter::Type::kText, test.text});
  return std::string("value") + SqlOperator(test.op) + "?";
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

std::string Conjunction(const std::vector<const Comparison*>& tests, bool numericSide,
                        std::vector<Parameter>& params) {
  std::string sql;
  for (const Comparison* test : tests) {
    sql += " AND ";
    sql += Predicate(*test, numericSide, params);
  }
  return sql;
}

// SELECT key FROM the index for the rows of which the condition holds.
std::string CandidateSql(long long id, const ResolvedCondition& condition, std::vector<Parameter>& params) {
  const std::string table = TableName(id);
  std::string sql;
  for (const auto& term : Disjunction(condition)) {
    if (!sql.empty()) sql += " UNION ALL ";
    bool anyNumber = false;
    for (const Comparison* test : term) anyNumber = anyNumber || (test->number && !test->prefix);
    if (!anyNumber) {
      sql += "SELECT key FROM " + table + " WHERE 1" + Conjunction(term, false, params);
    } else {
      sql += "SELECT key FROM " + table + " WHERE num IS NOT NULL" + Conjunction(term, true, params);
      sql += " UNION ALL SELECT key FROM " + table + " WHERE num IS NULL" + Conjunction(term, false, params);
    }
  }
  return sql;
}

void BindAll(sql::Statement& statement, const std::vector<Parameter>& params) {
  for (std::size_t i = 0; i < params.size(); ++i) {
    const int at = static_cast<int>(i) + 1;
    switch (params[i].type) {
      case Parameter::Type::kText: statement.BindText(at, params[i].text); break;
      case Parameter::Type::kNumber: statement.BindDouble(at, params[i].number); break;
    }
  }
}

}  // namespace

struct IndexStore::State {
  explicit State(Storage& s) : storage(s), reader(s) {}

  Storage& storage;
  FieldReader reader;  // reads stored fields only: never touches storage
  std::map<std::string, std::vector<std::unique_ptr<Index>>> byFile;
  std::vector<std::string_view> values;

  sqlite3* Db() { return storage.Handle(); }

  void Prepare(Index& index) {
    const std::string table = TableName(index.id);
    index.insert = std::make_unique<sql::Statement>(Db(), "INSERT INTO " + table + "(key, value, num) VALUES (?, ?, ?)");
    index.remove = std::make_unique<sql::Statement>(Db(), "DELETE FROM " + table + " WHERE key = ?");
  }

  Index* Find(const std::string& file, const std::string& source) {
    const auto it = byFile.find(file);
    if (it == byFile.end()) return nullptr;
    for (const auto& index : it->second) {
      if (index->field.StoredSource() == source) return index.get();
    }
    return nullptr;
  }

  void InsertValues(Index& index, std::string_view key, std::string_view text) {
    RecordView record;
    record.Reset(key, text);
    reader.Values(index.field, record, values);
    for (std::string_view value : values) {
      index.insert->BindText(1, key);
      index.insert->BindText(2, value);
      if (const auto number = ParseNumber(value)) {
        index.insert->BindDouble(3, *number);
      } else {
        index.insert->BindNull(3);
      }
      index.insert->Step();
      index.insert->Reset();
    }
  }

  void OnWrite(const std::string& file, const std::string& key, const std::optional<std::string>& after) {
    const auto it = byFile.find(file);
    if (it == byFile.end()) return;
    for (const auto& index : it->second) {
      index->remove->BindText(1, key);
      index->remove->Step();
      index->remove->Reset();
      if (after) InsertValues(*index, key, *after);
    }
  }
};

IndexStore::IndexStore(Storage& storage) : state_(std::make_shared<State>(storage)) {
  // Opening writes nothing: the catalogue is created with the first index.
  sql::Statement exists(state_->Db(), "SELECT 1 FROM sqlite_master WHERE type='table' AND name='mvq_index_catalogue'");
  const bool hasCatalogue = exists.Step();
  sql::Statement list(state_->Db(), hasCatalogue ? "SELECT id, file, source, field FROM mvq_index_catalogue ORDER BY id"
                                                 : "SELECT 0, '', '', '' WHERE 0");
  while (list.Step()) {
    auto index = std::make_unique<Index>();
    index->id = list.ColumnInt(0);
    index->field = FieldFromSource(std::string(list.ColumnText(2)), std::string(list.ColumnText(3)));
    state_->Prepare(*index);
    state_->byFile[std::string(list.ColumnText(1))].push_back(std::move(index));
  }
  std::weak_ptr<State> weak = state_;
  storage.AddWriteHook([weak](const std::string& file, const std::string& key, const std::optional<std::string>&,
                              const std::optional<std::string>& after) {
    if (auto state = weak.lock()) state->OnWrite(file, key, after);
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
  Index* existing = s.Find(file, source);
  auto fresh = std::make_unique<Index>();
  fresh->field = FieldFromSource(source, field.name);
  auto rebuild = [&] {
    sql::Exec(s.Db(), kCreateCatalogue);
    {  // both statements end here: an active read would lock the table drop below
      sql::Statement add(s.Db(), "INSERT OR IGNORE INTO mvq_index_catalogue(file, source, field) VALUES (?, ?, ?)");
      add.BindText(1, file);
      add.BindText(2, source);
      add.BindText(3, field.name);
      add.Step();
      sql::Statement id(s.Db(), "SELECT id FROM mvq_index_catalogue WHERE file = ? AND source = ?");
      id.BindText(1, file);
      id.BindText(2, source);
      id.Step();
      fresh->id = id.ColumnInt(0);
    }
    const std::string table = TableName(fresh->id);
    if (existing) {  // statements on a table must be finalized before it is dropped
      existing->insert.reset();
      existing->remove.reset();
    }
    sql::Exec(s.Db(), "DROP TABLE IF EXISTS " + table + "; CREATE TABLE " + table +
                        "(key TEXT NOT NULL, value TEXT NOT NULL, num REAL)");
    s.Prepare(*fresh);
    s.storage.Scan(file, [&](const std::string& key, const std::string& text) {
      s.InsertValues(*fresh, key, text);
      return true;
    });
    // Covering indexes: candidate keys and counts come from the index alone.
    sql::Exec(s.Db(), "CREATE INDEX " + table + "_value ON " + table + "(value, key); CREATE INDEX " + table +
                        "_num ON " + table + "(num, key) WHERE num IS NOT NULL; CREATE INDEX " + table + "_text ON " +
                        table + "(value, key) WHERE num IS NULL; CREATE INDEX " + table + "_key ON " + table + "(key)");
  };
  try {
    s.storage.Transaction(rebuild);
  } catch (...) {
    if (existing) s.Prepare(*existing);  // rolled back: the old table is there again
    throw;
  }
  auto& list = s.byFile[file];
  std::erase_if(list, [&](const auto& index) { return index->field.StoredSource() == source; });
  list.push_back(std::move(fresh));
}

bool IndexStore::Has(const std::string& file, const FieldDef& field) const {
  return field.kind != FieldKind::kTranslation && state_->Find(file, field.StoredSource()) != nullptr;
}

std::optional<std::size_t> IndexStore::RecordCount(const std::string& file) {
  const auto it = state_->byFile.find(file);
  if (it == state_->byFile.end()) return std::nullopt;
  for (const auto& index : it->second) {
    if (index->field.kind == FieldKind::kAttribute) continue;  // multi-valued: rows are values
    sql::Statement count(state_->Db(), "SELECT count(*) FROM " + TableName(index->id));
    count.Step();
    return static_cast<std::size_t>(count.ColumnInt(0));
  }
  return std::nullopt;
}

std::size_t IndexStore::Candidates(const std::string& file, const ResolvedCondition& condition,
                                   std::vector<std::string>& out, std::size_t limit) {
  Index* index = state_->Find(file, condition.field.StoredSource());
  if (!index) throw DbError(ErrorCode::kInvalidArgument, "field " + condition.field.name + " is not indexed");
  std::vector<Parameter> params;
  sql::Statement select(state_->Db(), CandidateSql(index->id, condition, params));
  BindAll(select, params);
  std::size_t n = 0;
  while (n < limit && select.Step()) {
    out.emplace_back(select.ColumnText(0));
    ++n;
  }
  return n;
}

std::size_t IndexStore::Estimate(const std::string& file, const ResolvedCondition& condition, std::size_t cap) {
  Index* index = state_->Find(file, condition.field.StoredSource());
  if (!index) return static_cast<std::size_t>(-1);
  std::vector<Parameter> params;
  sql::Statement count(state_->Db(),
                  "SELECT count(*) FROM (" + CandidateSql(index->id, condition, params) + " LIMIT " +
                      std::to_string(cap) + ")");
  BindAll(count, params);
  count.Step();
  return static_cast<std::size_t>(count.ColumnInt(0));
}

}  // namespace mvdb::query
