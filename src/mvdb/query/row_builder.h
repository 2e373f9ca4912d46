// Result-list rows made from selected records.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mvdb/query/field_reader.h"

namespace mvdb::query {

/// Builds result-list rows: a record's listed attributes (0 = the key) in
/// order, separated by value marks, each with its own value marks lowered to
/// sub-value marks; an attribute past the record's end gives an empty column.
/// The record is read once, up to its highest listed attribute.
class RowBuilder {
 public:
  /// An empty list of columns means the key alone.
  explicit RowBuilder(std::vector<int> columns);
  std::string Row(std::string_view key, std::string_view text);
  /// As Row, written into the builder: the view is valid until its next call.
  std::string_view RowView(std::string_view key, std::string_view text);

 private:
  /// Row for columns in ascending order (after the key, if first): written
  /// in one pass over the record.
  std::string_view RowInOrder(std::string_view key, std::string_view text);

  std::vector<int> columns_;
  bool inOrder_ = false;            ///< the key or nothing first, then attributes in ascending order
  bool keyFirst_ = false;           ///< with inOrder_: the first column is the key
  std::vector<std::size_t> order_;  ///< with inOrder_: the listed attributes
  RecordView record_;               ///< the record split, for columns in another order
  std::string scratch_;             ///< the row being written
};

}  // namespace mvdb::query
