#include "mvdb/query/values.h"

#include <algorithm>

#include "mvdb/dynarray.h"

namespace mvdb::query {

Comparison Comparison::FromTest(const FieldTest& test) {
  Comparison c;
  c.op = test.op;
  c.text = test.value;
  c.prefix = test.prefix;
  if (!test.prefix) c.number = ParseNumber(test.value);
  return c;
}

void SplitOn(std::string_view text, char delimiter, std::vector<std::string_view>& out) {
  out.clear();
  AppendSplit(text, delimiter, out);
}

void AppendSplit(std::string_view text, char delimiter, std::vector<std::string_view>& out) {
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(delimiter, start);
    if (end == std::string_view::npos) {
      out.push_back(text.substr(start));
      return;
    }
    out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

RowBuilder::RowBuilder(std::vector<int> columns) : columns_(std::move(columns)) {
  if (columns_.empty()) columns_.push_back(0);
  for (int column : columns_) highest_ = std::max(highest_, static_cast<std::size_t>(std::max(column, 0)));
  listed_.assign(highest_ + 1, 0);
  for (int column : columns_) {
    if (column > 0) listed_[static_cast<std::size_t>(column)] = 1;
  }
  nextListed_.assign(highest_ + 1, highest_);
  for (std::size_t a = highest_; a-- > 0;) nextListed_[a] = listed_[a] ? a : nextListed_[a + 1];
  cells_.resize(highest_ + 1);
  keyFirst_ = columns_.front() == 0;
  inOrder_ = true;
  int last = 0;
  for (std::size_t j = keyFirst_ ? 1 : 0; j < columns_.size() && inOrder_; ++j) {
    inOrder_ = columns_[j] > last;
    last = columns_[j];
    order_.push_back(static_cast<std::size_t>(last));
  }
}

namespace {

// The position after the n-th attribute mark from `at` (n >= 1), npos when
// the text has fewer.
std::size_t PassMarks(std::string_view text, std::size_t at, std::size_t n) {
  const char* const data = text.data();
#if defined(__SSE2__)
  for (; at + 16 <= text.size(); at += 16) {
    unsigned found = MarkBits16(data + at, kAttributeMark);
    const std::size_t count = BitCount16(found);
    if (count < n) {
      n -= count;
      continue;
    }
    for (; n > 1; --n) found &= found - 1;
    return at + static_cast<std::size_t>(__builtin_ctz(found)) + 1;
  }
#endif
  for (; at < text.size(); ++at) {
    if (data[at] == kAttributeMark && --n == 0) return at + 1;
  }
  return std::string_view::npos;
}

}  // namespace

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

bool RowBuilder::EndAttribute(std::string_view text, std::size_t mark) {
  if (listed_[attribute_]) cells_[attribute_] = text.substr(start_, mark - start_);
  start_ = mark + 1;
  return ++attribute_ <= highest_;
}

std::string RowBuilder::Row(std::string_view key, std::string_view text) { return std::string(RowView(key, text)); }

std::string_view RowBuilder::RowView(std::string_view key, std::string_view text) {
  if (inOrder_) return RowInOrder(key, text);
  for (int column : columns_) {
    if (column > 0) cells_[static_cast<std::size_t>(column)] = {};
  }
  // The record is split up to its highest listed attribute. Sixteen bytes
  // are compared at once where the processor allows, and a run of marks that
  // only ends attributes nobody listed is passed over in one step.
  attribute_ = 1;
  start_ = 0;
  bool more = highest_ > 0;
  const char* const data = text.data();
  std::size_t at = 0;
#if defined(__SSE2__)
  // The marks at `from` + each bit of `found`, in order.
  auto marksAt = [&](std::size_t from, unsigned found) {
    while (found != 0 && more) {
      const std::size_t count = BitCount16(found);
      if (nextListed_[attribute_] >= attribute_ + count) {  // these marks end unlisted attributes only
        attribute_ += count;
        start_ = from + static_cast<std::size_t>(31 - __builtin_clz(found)) + 1;
        return;
      }
      more = EndAttribute(text, from + static_cast<std::size_t>(__builtin_ctz(found)));
      found &= found - 1;
    }
  };
  for (; more && at + 16 <= text.size(); at += 16) marksAt(at, MarkBits16(data + at, kAttributeMark));
  if (more && at < text.size() && text.size() >= 16) {  // the last bytes: the last sixteen, those seen left out
    const std::size_t from = text.size() - 16;
    marksAt(from, MarkBits16(data + from, kAttributeMark) & ~((1u << (at - from)) - 1));
    at = text.size();
  }
#endif
  for (; more && at < text.size(); ++at) {
    if (data[at] == kAttributeMark) more = EndAttribute(text, at);
  }
  if (more && listed_[attribute_]) cells_[attribute_] = text.substr(start_);  // the last attribute, to the end
  auto cell = [&](int column) {
    if (column == 0) return key;
    return column > 0 ? cells_[static_cast<std::size_t>(column)] : std::string_view();
  };
  std::size_t size = columns_.size() - 1;
  for (int column : columns_) size += cell(column).size();
  // Cells are a few bytes each: copied byte by byte, their value marks lowered
  // on the way, rather than by a call per cell.
  std::string& row = scratch_;
  row.assign(size, kValueMark);
  char* out = row.data();
  for (std::size_t j = 0; j < columns_.size(); ++j) {
    if (j > 0) ++out;  // the value mark already there
    const std::string_view value = cell(columns_[j]);
    if (columns_[j] == 0) {
      for (char c : value) *out++ = c;
    } else {
      for (char c : value) *out++ = c == kValueMark ? kSubValueMark : c;
    }
  }
  return row;
}

std::string_view AttributeOf(std::string_view record, int n) {
  if (n < 1) return {};
  const std::size_t start = n == 1 ? 0 : PassMarks(record, 0, static_cast<std::size_t>(n - 1));
  if (start == std::string_view::npos) return {};
  const std::size_t end = PassMarks(record, start, 1);
  return record.substr(start, end == std::string_view::npos ? std::string_view::npos : end - 1 - start);
}

}  // namespace mvdb::query
