// QueryEngine: dictionaries, the query language and secondary indexes.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "mvdb/dynarray.h"
#include "mvdb/storage.h"

namespace mvdb {

/// Dictionary of file F: the hashed file "DICT F", one record per named field
/// (key = field name, case-sensitive):
///   1  kind: "A" attribute, "K" part of the key, "T" translation through a file
///   2  A: attribute number (0 = the key) | K: start (from 1) | T: target file
///   3  K: length | T: key expression of this record ("@ID[s,l]", "@ID" or an
///      attribute number)
///   4  T: attribute number in the target record
///   5  justification: "L" sorts as text, "R" sorts numbers as numbers
///   6  "1" when a secondary index is kept (A and K kinds only)
///   7  description (free text)
/// Without a dictionary entry, a field written as digits is that attribute
/// number, and "@ID" is the key. The indexes themselves are kept in tables of
/// the database's SQLite file (see query/index_store.h); CreateIndex sets
/// attribute 6 of the field's dictionary entry to "1" when there is an entry.
class QueryEngine {
 public:
  /// Registers its write hook on storage (indexes stay in step with writes).
  explicit QueryEngine(Storage& storage);
  ~QueryEngine();

  /// Runs "SSELECT FILE [AVEC ...] [PAR ...]" and returns the result list:
  /// row i = i-th selected record in sort order, column j = its j-th listed
  /// attribute (0 = key; an empty list means the key alone). A cell holds the
  /// attribute's whole text with its value marks lowered to sub-value marks
  /// (so the values of a multi-valued attribute stay in their one column).
  /// Empty text when nothing is selected; count receives the number of rows.
  /// fileName may be empty (taken from the query) or must match it. Throws
  /// kQuerySyntax / kUnknownField / kFileNotFound with a message giving the
  /// position and what was expected; nothing is ever written.
  DynArray Select(const std::string& queryText, const std::string& fileName,
                  const std::vector<int>& attributes, long& count);

  /// Keys only, in sort order (used by Select and by tools). useIndexes false
  /// checks every record instead of using the secondary indexes (same result).
  std::vector<std::string> SelectKeys(const std::string& queryText, bool useIndexes = true);

  /// Creates (or rebuilds) the secondary index of a field; throws kUnknownField,
  /// or kInvalidArgument for a translated field.
  void CreateIndex(const std::string& file, const std::string& field);

  /// Every secondary index as (file, field name it was created with), by file.
  std::vector<std::pair<std::string, std::string>> IndexedFields() const;

  /// How the last selection read its file, as the trace shows it: "scan
  /// (...)" or "index FIELD[+FIELD...] (estimate N)" (docs/query-language.md);
  /// empty before the first selection.
  const std::string& LastAccessPath() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace mvdb
