// The order of selected records by the PAR fields of a query.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "mvdb/query/dictionary.h"

namespace mvdb::query {

class FieldReader;

/// A selected record: its key and its whole text. The evaluator keeps the
/// text only when the PAR fields read it, and hands back the result-list row
/// in its place when one was asked for.
struct SelectedRecord {
  std::string key;
  std::string text;
};

/// True when sorting on these fields reads the records' own attributes, not
/// only their keys (an attribute, or a translation through one).
bool SortReadsText(const std::vector<FieldDef>& sorts);

/// The positions of `records` in the order of the `sorts` fields, ties broken
/// by key. `records` must be in ascending key order (as a scan or a batch
/// read gives them). R-justified fields sort numbers first, numerically,
/// then other texts; L fields sort text byte by byte; a field's first value is
/// its sort value. Each field's values are read once per record and replaced
/// by their rank among the field's distinct values, so the sort compares
/// small integers: 4 bytes per record and field. Translated fields read their
/// target records through `reader` (prefetched in batches). Throws DbError
/// kIo on storage failure.
std::vector<std::size_t> SortOrder(const std::vector<FieldDef>& sorts, FieldReader& reader,
                                   const std::vector<SelectedRecord>& records);

}  // namespace mvdb::query
