// Secondary indexes: one table per indexed stored field, kept by the storage
// (see mvdb/index_tables.h) and in step with every write through its write
// hook. What a record puts in an index and which rows a condition selects is
// decided here, once for every storage.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "mvdb/query/dictionary.h"
#include "mvdb/query/resolver.h"

namespace mvdb {
class Storage;
}

namespace mvdb::query {

/// The indexes of one database. Tables (in the database itself):
///   mvq_index_catalogue(id, file, source, field): one row per index; source is
///     FieldDef::StoredSource() ("A:2", "K:1,5", "@ID"), field the name used
///     when it was created;
///   mvq_idx_<id>(key, value, num): one row per value of the field in each
///     record (an empty attribute gives one empty value); num is the value as
///     a number, NULL when it is not one.
/// Two field names of the same stored data share one index. Writes look at
/// the catalogue again, so an index built by another connection is kept in
/// step by this one's writes too.
class IndexStore {
 public:
  /// Loads the catalogue (there is none before the first index: opening
  /// writes nothing) and registers the write hook on storage. The hook does
  /// nothing once this store is destroyed.
  explicit IndexStore(Storage& storage);
  ~IndexStore();
  IndexStore(const IndexStore&) = delete;
  IndexStore& operator=(const IndexStore&) = delete;

  /// (Re)builds the index of the field's stored data in one transaction.
  /// Throws DbError kInvalidArgument for a translated field or a file that is
  /// not hashed, kFileNotFound for an unknown file, kIo on storage failure.
  void Build(const std::string& file, const FieldDef& field);

  /// True when the field's stored data of that file is indexed.
  bool Has(const std::string& file, const FieldDef& field) const;

  /// Every index as (file, field name it was created with), by file.
  std::vector<std::pair<std::string, std::string>> List() const;

  /// Starts a query's counts. At its first count (RecordCount or Estimate),
  /// the counts remembered are forgotten unless the database is as it was
  /// when they were counted: no commit by another connection, no write
  /// through this store; a query that counts nothing asks nothing. Call it
  /// inside the read snapshot of the query.
  void StartQuery();

  /// Number of records of the file, read from an index that has one row per
  /// record (on the key or a part of it); nullopt when there is none.
  /// Remembered (see StartQuery).
  std::optional<std::size_t> RecordCount(const std::string& file);

  /// Appends to out the keys of the records of which some value of the field
  /// satisfies the condition (in no particular order, possibly repeated), and
  /// stops after `limit` keys. Returns the number appended. The condition's
  /// field must be indexed (Has).
  std::size_t Candidates(const std::string& file, const ResolvedCondition& condition,
                         std::vector<std::string>& out, std::size_t limit = static_cast<std::size_t>(-1));

  /// Number of index rows satisfying the condition, counted up to cap (a
  /// cheap selectivity estimate). Remembered (see StartQuery).
  std::size_t Estimate(const std::string& file, const ResolvedCondition& condition, std::size_t cap);

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace mvdb::query
