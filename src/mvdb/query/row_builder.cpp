#include "mvdb/query/row_builder.h"

#include <algorithm>

#include "mvdb/dynarray.h"
#include "mvdb/query/values.h"

namespace mvdb::query {

RowBuilder::RowBuilder(std::vector<int> columns) : columns_(std::move(columns)) {
  if (columns_.empty()) columns_.push_back(0);
  keyFirst_ = columns_.front() == 0;
  inOrder_ = true;
  int last = 0;
  for (std::size_t j = keyFirst_ ? 1 : 0; j < columns_.size() && inOrder_; ++j) {
    inOrder_ = columns_[j] > last;
    last = columns_[j];
    order_.push_back(static_cast<std::size_t>(last));
  }
}

std::string_view RowBuilder::RowInOrder(std::string_view key, std::string_view text) {
  std::string& out = scratch_;
  out.assign(keyFirst_ ? key : std::string_view());
  std::size_t attribute = 1;  // the attribute that starts at `at`
  std::size_t at = 0;
  bool past = false;          // the record ended before the attribute being written
  for (std::size_t j = 0; j < order_.size(); ++j) {
    if (j > 0 || keyFirst_) out.push_back(kValueMark);
    if (past) continue;
    const std::size_t listed = order_[j];
    if (listed > attribute) {
      at = PassMarks(text, at, listed - attribute);
      if (at == std::string_view::npos) {
        past = true;
        continue;
      }
      attribute = listed;
    }
    std::size_t end = at;
    bool values = false;  // value marks inside, to lower
    for (; end < text.size() && text[end] != kAttributeMark; ++end) values = values || text[end] == kValueMark;
    const std::size_t from = out.size();
    out.append(text.data() + at, end - at);
    if (values) std::replace(out.begin() + static_cast<std::ptrdiff_t>(from), out.end(), kValueMark, kSubValueMark);
    past = end == text.size();
    at = end + 1;
    attribute = listed + 1;
  }
  return out;
}

std::string RowBuilder::Row(std::string_view key, std::string_view text) { return std::string(RowView(key, text)); }

std::string_view RowBuilder::RowView(std::string_view key, std::string_view text) {
  if (inOrder_) return RowInOrder(key, text);
  // Columns in another order: the record is split once, as far as they read.
  record_.Reset(key, text);
  std::string& out = scratch_;
  out.clear();
  for (std::size_t j = 0; j < columns_.size(); ++j) {
    if (j > 0) out.push_back(kValueMark);
    if (columns_[j] == 0) {
      out.append(key);
      continue;
    }
    const std::size_t from = out.size();
    out.append(record_.Attribute(columns_[j]));  // "" for a column below 0
    std::replace(out.begin() + static_cast<std::ptrdiff_t>(from), out.end(), kValueMark, kSubValueMark);
  }
  return out;
}

}  // namespace mvdb::query
