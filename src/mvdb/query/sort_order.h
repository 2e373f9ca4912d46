// The order of selected records by the PAR fields of a query.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "mvdb/query/dictionary.h"

namespace mvdb::query {

class FieldReader;

/// A selected record while it is sorted: views, owned elsewhere, of its key
/// and of a text: its whole text when the sort reads it (SortReadsText).
struct KeptRecord {
  std::string_view key;
  std::string_view text;
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
                                   const std::vector<KeptRecord>& records);

}  // namespace mvdb::query
