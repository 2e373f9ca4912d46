// The dictionaries of the association's files: the named fields that queries
// use (sort keys, translations through the carer file, indexed key parts).
#pragma once

#include <string>
#include <vector>

#include "demo/record_text.h"

namespace morvane::demo {

/// A dictionary field that carries a secondary index.
struct IndexedField {
  std::string file;   ///< data file, e.g. "ABSENCESAIDANT"
  std::string field;  ///< field name, e.g. "DebAbsAidant"
};

/// Every dictionary record, one per named field, with file = "DICT <FILE>".
/// The layout is the query engine's (kind, position/target, length/key
/// expression, target attribute, justification, indexed flag, description).
std::vector<FileRecord> Dictionaries();

/// The fields whose dictionary record asks for an index (attribute 6 = "1"),
/// in the order they should be built.
std::vector<IndexedField> IndexedFields();

}  // namespace morvane::demo
