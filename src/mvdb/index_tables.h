// IndexTables: the tables in which a storage keeps the query engine's
// secondary indexes, and the one SQL form of a selection of index rows that
// both storages run. The engine decides what is indexed and which rows a
// condition selects (query/index_store.h); a storage only keeps the rows.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mvdb {

/// An index of the catalogue.
struct IndexEntry {
  long long id = 0;
  std::string file;
  std::string source;  ///< the stored data indexed: "A:2", "K:1,5", "@ID"
  std::string field;   ///< the field name it was created with
};

/// Rows of index tables, column by column: row i says that record keys[i]
/// holds the value values[i], which is the number numbers[i] (nullopt when
/// the value is not a number).
struct IndexRows {
  std::vector<std::string> keys;
  std::vector<std::string> values;
  std::vector<std::optional<double>> numbers;

  std::size_t size() const { return keys.size(); }
  void clear();
};

/// Which rows of an index hold: any term (OR), a term when every test holds.
struct IndexSelection {
  /// value <op> text, or num <op> number; `always` set: a test that holds
  /// always (true) or never (false) whatever the row.
  struct Test {
    const char* op = "=";  ///< "=", "<>", "<", "<=", ">", ">="
    bool onNumber = false;
    std::string text;
    double number = 0;
    std::optional<bool> always;
  };
  struct Term {
    enum class Rows { kAll, kNumbers, kTexts } rows = Rows::kAll;  ///< num IS NOT NULL / num IS NULL
    std::vector<Test> tests;
  };
  std::vector<Term> terms;
};

/// A parameter of a rendered selection: bytes compared with `value`, or a
/// number compared with `num`.
struct SelectionParameter {
  bool isNumber = false;
  std::string text;
  double number = 0;
};

class IndexTables {
 public:
  virtual ~IndexTables() = default;

  /// Every index of the catalogue, by id; none before the first index is
  /// built (reading the catalogue never creates it).
  virtual std::vector<IndexEntry> List() = 0;
  /// The id of the index of (file, source), added to the catalogue (created
  /// when missing) under `field`. Runs inside the caller's write transaction.
  virtual long long Register(const std::string& file, const std::string& source, const std::string& field) = 0;
  /// Drops the index's table and creates it empty, ready for a bulk load.
  virtual void Recreate(long long id) = 0;
  /// Creates the B-tree indexes of the table once its rows are in.
  virtual void Finish(long long id) = 0;
  /// Adds rows (a large batch costs a few statements).
  virtual void Insert(long long id, const IndexRows& rows) = 0;
  /// Removes every row of these record keys.
  virtual void Remove(long long id, const std::vector<std::string>& keys) = 0;
  /// Number of rows of the index.
  std::size_t Count(long long id);
  /// Appends the keys of the rows selected (in no order, possibly repeated),
  /// at most `limit`; returns how many.
  std::size_t Keys(long long id, const IndexSelection& selection, std::vector<std::string>& out,
                   std::size_t limit = static_cast<std::size_t>(-1));
  /// Number of rows selected, counted up to cap.
  std::size_t CountUpTo(long long id, const IndexSelection& selection, std::size_t cap);
  /// A text that stays the same while no other connection commits a change
  /// to the database; nullopt when the storage cannot tell. This
  /// connection's own writes are not always reflected. Call it inside a read
  /// snapshot: it tells of that snapshot. Throws DbError kIo on storage failure.
  virtual std::optional<std::string> OthersVersion() = 0;

 protected:
  /// How the storage writes the n-th parameter of a statement (from 1).
  virtual std::string Placeholder(std::size_t n) const = 0;
  /// Runs a query whose first column is bytes; fn returns false to stop.
  virtual void SelectColumn(const std::string& sql, const std::vector<SelectionParameter>& params,
                            const std::function<bool(std::string_view)>& fn) = 0;
  /// Runs a query whose one row holds one count.
  virtual std::size_t SelectCount(const std::string& sql, const std::vector<SelectionParameter>& params) = 0;
};

/// The table of index `id`.
std::string IndexTableName(long long id);

}  // namespace mvdb
