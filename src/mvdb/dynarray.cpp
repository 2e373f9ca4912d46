// DynArray: parsed once into attributes of values; sub-values stay inside their
// value's text (values are short, so a sub-value access scans one value only).
//
// Attributes live in a gap buffer made of two vectors: `head` holds attributes
// 1..h in order, `tailRev` holds the remaining ones last-first. Deleting or
// inserting at position p moves the gap to p, which costs the distance from the
// previous position: a walk that deletes rows from the last to the first is
// linear overall, and appends at the end are O(1) amortised.
#include "mvdb/dynarray.h"

#include <algorithm>
#include <utility>

#include "mvdb/errors.h"
#include "mvdb/file_binding.h"

namespace mvdb {
namespace {

/// One attribute: its values, each value's text holding its sub-value marks.
/// An empty vector and a vector holding one empty value both mean "".
using Attribute = std::vector<std::string>;

Attribute ParseAttribute(std::string_view text) {
  Attribute values;
  if (text.empty()) return values;
  values.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), kValueMark)) + 1);
  std::size_t start = 0;
  for (;;) {
    const std::size_t mark = text.find(kValueMark, start);
    if (mark == std::string_view::npos) {
      values.emplace_back(text.substr(start));
      return values;
    }
    values.emplace_back(text.substr(start, mark - start));
    start = mark + 1;
  }
}

void AppendAttributeText(const Attribute& values, std::string& out) {
  for (std::size_t v = 0; v < values.size(); ++v) {
    if (v > 0) out.push_back(kValueMark);
    out += values[v];
  }
}

bool IsEmptyAttribute(const Attribute& values) {
  return values.empty() || (values.size() == 1 && values[0].empty());
}

/// Splits text on a mark; always at least one part.
std::vector<std::string_view> Split(std::string_view text, char mark) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(mark, start);
    if (at == std::string_view::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
}

int SubValueCount(std::string_view value) {
  if (value.empty()) return 0;
  return static_cast<int>(std::count(value.begin(), value.end(), kSubValueMark)) + 1;
}

/// Sub-value k (from 1) of a value's text; empty past the end.
std::string_view SubValue(std::string_view value, int k) {
  std::size_t start = 0;
  for (int n = 1; n < k; ++n) {
    const std::size_t at = value.find(kSubValueMark, start);
    if (at == std::string_view::npos) return {};
    start = at + 1;
  }
  const std::size_t end = value.find(kSubValueMark, start);
  return value.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

/// Replaces sub-value k (from 1) inside a value, padding with empty sub-values.
void ReplaceSubValue(std::string& value, int k, std::string_view text) {
  std::size_t start = 0;
  for (int n = 1; n < k; ++n) {
    const std::size_t at = value.find(kSubValueMark, start);
    if (at == std::string::npos) {
      value.append(static_cast<std::size_t>(k - n), kSubValueMark);
      value += text;
      return;
    }
    start = at + 1;
  }
  const std::size_t end = value.find(kSubValueMark, start);
  value.replace(start, end == std::string::npos ? std::string::npos : end - start, text);
}

bool HasMark(std::string_view text, std::string_view marks) {
  return text.find_first_of(marks) != std::string_view::npos;
}

[[noreturn]] void ThrowBadIndex(int i, int j, int k) {
  throw DbError(ErrorCode::kInvalidArgument,
                "cannot write element (" + std::to_string(i) + ", " + std::to_string(j) + ", " +
                    std::to_string(k) + "): positions start at 1 (-1 appends)");
}

}  // namespace

struct DynArray::Impl {
  std::vector<Attribute> head;
  std::vector<Attribute> tailRev;
  std::shared_ptr<FileBinding> binding;

  std::size_t Size() const { return head.size() + tailRev.size(); }

  const Attribute* Find(std::size_t idx) const {
    if (idx < head.size()) return &head[idx];
    const std::size_t back = idx - head.size();
    if (back >= tailRev.size()) return nullptr;
    return &tailRev[tailRev.size() - 1 - back];
  }

  Attribute& At(std::size_t idx) { return const_cast<Attribute&>(*Find(idx)); }

  /// Afterwards head holds exactly the first idx attributes.
  void MoveGapTo(std::size_t idx) {
    while (head.size() > idx) {
      tailRev.push_back(std::move(head.back()));
      head.pop_back();
    }
    while (head.size() < idx && !tailRev.empty()) {
      head.push_back(std::move(tailRev.back()));
      tailRev.pop_back();
    }
  }

  void Erase(std::size_t idx) {
    MoveGapTo(idx);
    tailRev.pop_back();
  }

  void Insert(std::size_t idx, Attribute values) {
    MoveGapTo(idx);
    head.push_back(std::move(values));
  }

  void Append(Attribute values) {
    if (!tailRev.empty()) MoveGapTo(Size());
    head.push_back(std::move(values));
  }

  /// Pads with empty attributes so that idx exists; returns it.
  Attribute& Ensure(std::size_t idx) {
    while (Size() <= idx) Append({});
    return At(idx);
  }

  void Parse(std::string_view text) {
    head.clear();
    tailRev.clear();
    if (text.empty()) return;
    head.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), kAttributeMark)) + 1);
    std::size_t start = 0;
    for (;;) {
      const std::size_t mark = text.find(kAttributeMark, start);
      if (mark == std::string_view::npos) {
        head.push_back(ParseAttribute(text.substr(start)));
        return;
      }
      head.push_back(ParseAttribute(text.substr(start, mark - start)));
      start = mark + 1;
    }
  }
};

const DynArray::Impl& DynArray::EmptyImpl() {
  static const Impl empty;
  return empty;
}

#define MVDB_CONST_IMPL() (impl_ ? *impl_ : EmptyImpl())

DynArray::DynArray() : impl_(std::make_unique<Impl>()) {}
DynArray::DynArray(std::string_view text) : impl_(std::make_unique<Impl>()) { impl_->Parse(text); }
DynArray::DynArray(const DynArray& other)
    : impl_(std::make_unique<Impl>(other.impl_ ? *other.impl_ : EmptyImpl())) {}
DynArray::DynArray(DynArray&&) noexcept = default;
DynArray& DynArray::operator=(const DynArray& other) {
  if (this != &other) impl_ = std::make_unique<Impl>(other.impl_ ? *other.impl_ : EmptyImpl());
  return *this;
}
DynArray& DynArray::operator=(DynArray&&) noexcept = default;
DynArray::~DynArray() = default;

std::string DynArray::Text() const {
  const Impl& impl = MVDB_CONST_IMPL();
  std::string out;
  const std::size_t n = impl.Size();
  std::size_t bytes = n;
  for (std::size_t a = 0; a < n; ++a)
    for (const auto& value : *impl.Find(a)) bytes += value.size() + 1;
  out.reserve(bytes);
  for (std::size_t a = 0; a < n; ++a) {
    if (a > 0) out.push_back(kAttributeMark);
    AppendAttributeText(*impl.Find(a), out);
  }
  return out;
}

void DynArray::SetText(std::string_view text) {
  if (!impl_) impl_ = std::make_unique<Impl>();
  impl_->Parse(text);
}

bool DynArray::Empty() const { return DCount() == 0; }

std::string DynArray::Item(int i) const {
  if (i < 1) return {};
  const Attribute* values = MVDB_CONST_IMPL().Find(static_cast<std::size_t>(i - 1));
  if (!values) return {};
  std::string out;
  AppendAttributeText(*values, out);
  return out;
}

std::string DynArray::Item(int i, int j) const {
  if (i < 1 || j < 1) return {};
  const Attribute* values = MVDB_CONST_IMPL().Find(static_cast<std::size_t>(i - 1));
  if (!values || static_cast<std::size_t>(j) > values->size()) return {};
  return (*values)[static_cast<std::size_t>(j - 1)];
}

std::string DynArray::Item(int i, int j, int k) const {
  if (i < 1 || j < 1 || k < 1) return {};
  const Attribute* values = MVDB_CONST_IMPL().Find(static_cast<std::size_t>(i - 1));
  if (!values || static_cast<std::size_t>(j) > values->size()) return {};
  return std::string(SubValue((*values)[static_cast<std::size_t>(j - 1)], k));
}

void DynArray::SetItem(int i, std::string_view text) {
  if (!impl_) impl_ = std::make_unique<Impl>();
  Impl& impl = *impl_;
  if (i == -1) i = static_cast<int>(impl.Size()) + 1;
  if (i < 1) ThrowBadIndex(i, 0, 0);
  const auto idx = static_cast<std::size_t>(i - 1);
  if (!HasMark(text, std::string_view(&kAttributeMark, 1))) {
    impl.Ensure(idx) = ParseAttribute(text);
    return;
  }
  // Text with attribute marks becomes several attributes from position i on.
  const auto parts = Split(text, kAttributeMark);
  impl.Ensure(idx) = ParseAttribute(parts[0]);
  for (std::size_t p = 1; p < parts.size(); ++p) impl.Insert(idx + p, ParseAttribute(parts[p]));
}

void DynArray::SetItem(int i, int j, std::string_view text) {
  if (!impl_) impl_ = std::make_unique<Impl>();
  Impl& impl = *impl_;
  if (i == -1) i = static_cast<int>(impl.Size()) + 1;
  if (j == -1) j = DCount(i) + 1;
  if (i < 1 || j < 1) ThrowBadIndex(i, j, 0);
  Attribute& values = impl.Ensure(static_cast<std::size_t>(i - 1));
  const auto v = static_cast<std::size_t>(j - 1);
  if (values.size() <= v) values.resize(v + 1);
  if (!HasMark(text, std::string_view("\xFE\xFD", 2))) {
    values[v] = std::string(text);
    return;
  }
  if (HasMark(text, std::string_view(&kAttributeMark, 1))) {
    // Rare: rebuild the attribute's text and let the attribute write split it.
    values[v] = std::string(text);
    std::string whole;
    AppendAttributeText(values, whole);
    SetItem(i, whole);
    return;
  }
  Attribute parts = ParseAttribute(text);
  values[v] = std::move(parts[0]);
  values.insert(values.begin() + static_cast<std::ptrdiff_t>(v + 1), std::make_move_iterator(parts.begin() + 1),
                std::make_move_iterator(parts.end()));
}

void DynArray::SetItem(int i, int j, int k, std::string_view text) {
  if (!impl_) impl_ = std::make_unique<Impl>();
  if (i == -1) i = static_cast<int>(impl_->Size()) + 1;
  if (j == -1) j = DCount(i) + 1;
  if (i < 1 || j < 1 || (k < 1 && k != -1)) ThrowBadIndex(i, j, k);
  std::string value = Item(i, j);
  if (k == -1) k = SubValueCount(value) + 1;
  ReplaceSubValue(value, k, text);
  if (HasMark(text, std::string_view("\xFE\xFD", 2))) {
    SetItem(i, j, value);
    return;
  }
  Attribute& values = impl_->Ensure(static_cast<std::size_t>(i - 1));
  const auto v = static_cast<std::size_t>(j - 1);
  if (values.size() <= v) values.resize(v + 1);
  values[v] = std::move(value);
}

int DynArray::DCount() const {
  const Impl& impl = MVDB_CONST_IMPL();
  const std::size_t n = impl.Size();
  if (n == 1 && IsEmptyAttribute(*impl.Find(0))) return 0;
  return static_cast<int>(n);
}

int DynArray::DCount(int i) const {
  if (i < 1) return 0;
  const Attribute* values = MVDB_CONST_IMPL().Find(static_cast<std::size_t>(i - 1));
  if (!values || IsEmptyAttribute(*values)) return 0;
  return static_cast<int>(values->size());
}

void DynArray::Delete(int i) {
  if (!impl_ || i < 1 || static_cast<std::size_t>(i) > impl_->Size()) return;
  impl_->Erase(static_cast<std::size_t>(i - 1));
}

void DynArray::DBWrite() const {
  const Impl& impl = MVDB_CONST_IMPL();
  if (!impl.binding)
    throw DbError(ErrorCode::kNotOpen, "DBWrite: this record is not bound to a file (read it with DBRead or create it with DBNew)");
  impl.binding->Write(Text(), false);
}

void DynArray::DBWriteNew() const {
  const Impl& impl = MVDB_CONST_IMPL();
  if (!impl.binding)
    throw DbError(ErrorCode::kNotOpen, "DBWriteNew: this record is not bound to a file (create it with DBNew)");
  impl.binding->Write(Text(), true);
}

std::string DynArray::BoundKey() const {
  const Impl& impl = MVDB_CONST_IMPL();
  return impl.binding ? impl.binding->Key() : std::string();
}

void DynArray::Bind(std::shared_ptr<FileBinding> binding) {
  if (!impl_) impl_ = std::make_unique<Impl>();
  impl_->binding = std::move(binding);
}

#undef MVDB_CONST_IMPL

}  // namespace mvdb
