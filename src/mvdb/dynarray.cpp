// DynArray: parsed once into attributes; each attribute keeps its own text with
// its value and sub-value marks (long attributes add an index of their value
// marks), so a million-row result list costs one string per row.
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
#include "mvdb/split_marks.h"

namespace mvdb {
namespace {

/// Attributes at least this long get an index of their value marks the first
/// time a value is looked up; shorter ones are simply scanned.
constexpr std::size_t kIndexFrom = 128;

/// One attribute: its text, value and sub-value marks inside (a result-list
/// row costs one string), and for long attributes a lazily built index of the
/// value marks so that Item(i, j) stays O(1) amortised.
class Attribute {
 public:
  Attribute() = default;
  explicit Attribute(std::string_view text) : text_(text) {}
  explicit Attribute(std::string&& text) : text_(std::move(text)) {}
  Attribute(const Attribute& other) : text_(other.text_) {}
  Attribute(Attribute&&) noexcept = default;
  Attribute& operator=(const Attribute& other) {
    text_ = other.text_;
    marks_.reset();
    cursorValue_ = 0;
    return *this;
  }
  Attribute& operator=(Attribute&&) noexcept = default;

  const std::string& Text() const { return text_; }
  void SetText(std::string_view text) {
    text_.assign(text);
    marks_.reset();
    cursorValue_ = 0;
  }

  /// Number of values; 0 for empty text.
  int ValueCount() const {
    if (text_.empty()) return 0;
    if (const auto* marks = Marks()) return static_cast<int>(marks->size()) + 1;
    return static_cast<int>(std::count(text_.begin(), text_.end(), kValueMark)) + 1;
  }

  /// Value j (from 1) as a view into the text; empty past the end.
  std::string_view Value(int j) const {
    const auto [begin, end] = Range(j);
    if (begin == std::string::npos) return {};
    return std::string_view(text_).substr(begin, end - begin);
  }

  /// Replaces value j (from 1), padding with empty values. The text may hold
  /// value marks (it then becomes several values) but no attribute mark.
  void SetValue(int j, std::string_view value) {
    const auto [begin, end] = Range(j);
    if (begin != std::string::npos) {
      text_.replace(begin, end - begin, value);
      marks_.reset();
      if (cursorValue_ > j) cursorValue_ = 0;  // offsets after value j moved
      return;
    }
    // Past the end: pad and append, O(1) amortised; earlier offsets stay valid.
    for (int n = std::max(ValueCount(), 1); n < j; ++n) {
      if (marks_) marks_->push_back(static_cast<std::uint32_t>(text_.size()));
      text_.push_back(kValueMark);
    }
    text_ += value;
    if (marks_ && value.find(kValueMark) != std::string_view::npos) marks_.reset();
  }

 private:
  /// The value-mark offsets, built on first use for long attributes.
  const std::vector<std::uint32_t>* Marks() const {
    if (!marks_ && text_.size() >= kIndexFrom) {
      marks_ = std::make_unique<std::vector<std::uint32_t>>();
      for (std::size_t at = text_.find(kValueMark); at != std::string::npos; at = text_.find(kValueMark, at + 1))
        marks_->push_back(static_cast<std::uint32_t>(at));
    }
    return marks_.get();
  }

  /// [begin, end) of value j, or npos when past the end.
  std::pair<std::size_t, std::size_t> Range(int j) const {
    constexpr auto npos = std::string::npos;
    if (j < 1) return {npos, npos};
    if (const auto* marks = Marks()) {
      const auto v = static_cast<std::size_t>(j - 1);
      if (v > marks->size()) return {npos, npos};
      const std::size_t begin = v == 0 ? 0 : (*marks)[v - 1] + 1;
      return {begin, v < marks->size() ? (*marks)[v] : text_.size()};
    }
    // Short attribute: scan, resuming from the last value looked up so that
    // reading values 1, 2, 3... in turn scans the text once.
    int n = 1;
    std::size_t begin = 0;
    if (cursorValue_ > 0 && cursorValue_ <= j) {
      n = cursorValue_;
      begin = cursorBegin_;
    }
    for (; n < j; ++n) {
      const std::size_t at = text_.find(kValueMark, begin);
      if (at == npos) return {npos, npos};
      begin = at + 1;
    }
    cursorValue_ = j;
    cursorBegin_ = static_cast<std::uint32_t>(begin);
    const std::size_t end = text_.find(kValueMark, begin);
    return {begin, end == npos ? text_.size() : end};
  }

  std::string text_;
  mutable std::unique_ptr<std::vector<std::uint32_t>> marks_;
  mutable int cursorValue_ = 0;          // last value looked up (0: none)
  mutable std::uint32_t cursorBegin_ = 0;  // where that value begins
};


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
        head.emplace_back(text.substr(start));
        return;
      }
      head.emplace_back(text.substr(start, mark - start));
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

DynArray DynArray::FromAttributes(std::vector<std::string>&& attributes) {
  DynArray array;
  array.impl_->head.reserve(attributes.size());
  for (std::string& text : attributes) array.impl_->head.emplace_back(std::move(text));
  return array;
}
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
  const std::size_t n = impl.Size();
  std::size_t bytes = n;
  for (std::size_t a = 0; a < n; ++a) bytes += impl.Find(a)->Text().size();
  std::string out;
  out.reserve(bytes);
  for (std::size_t a = 0; a < n; ++a) {
    if (a > 0) out.push_back(kAttributeMark);
    out += impl.Find(a)->Text();
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
  const Attribute* attribute = MVDB_CONST_IMPL().Find(static_cast<std::size_t>(i - 1));
  return attribute ? attribute->Text() : std::string();
}

std::string DynArray::Item(int i, int j) const {
  if (i < 1 || j < 1) return {};
  const Attribute* attribute = MVDB_CONST_IMPL().Find(static_cast<std::size_t>(i - 1));
  return attribute ? std::string(attribute->Value(j)) : std::string();
}

std::string DynArray::Item(int i, int j, int k) const {
  if (i < 1 || j < 1 || k < 1) return {};
  const Attribute* attribute = MVDB_CONST_IMPL().Find(static_cast<std::size_t>(i - 1));
  return attribute ? std::string(SubValue(attribute->Value(j), k)) : std::string();
}

void DynArray::SetItem(int i, std::string_view text) {
  if (!impl_) impl_ = std::make_unique<Impl>();
  Impl& impl = *impl_;
  if (i == -1) i = static_cast<int>(impl.Size()) + 1;
  if (i < 1) ThrowBadIndex(i, 0, 0);
  const auto idx = static_cast<std::size_t>(i - 1);
  if (!HasMark(text, std::string_view(&kAttributeMark, 1))) {
    impl.Ensure(idx).SetText(text);
    return;
  }
  // Text with attribute marks becomes several attributes from position i on.
  const auto parts = SplitOnMark(text, kAttributeMark);
  impl.Ensure(idx).SetText(parts[0]);
  for (std::size_t p = 1; p < parts.size(); ++p) impl.Insert(idx + p, Attribute(parts[p]));
}

void DynArray::SetItem(int i, int j, std::string_view text) {
  if (!impl_) impl_ = std::make_unique<Impl>();
  Impl& impl = *impl_;
  if (i == -1) i = static_cast<int>(impl.Size()) + 1;
  if (j == -1) j = DCount(i) + 1;
  if (i < 1 || j < 1) ThrowBadIndex(i, j, 0);
  Attribute& attribute = impl.Ensure(static_cast<std::size_t>(i - 1));
  if (!HasMark(text, std::string_view(&kAttributeMark, 1))) {
    attribute.SetValue(j, text);  // value marks inside text make several values
    return;
  }
  // Rare: rebuild the attribute's text and let the attribute write split it.
  Attribute rebuilt = attribute;
  rebuilt.SetValue(j, "");
  const int before = std::max(j - 1, 0);
  std::string whole;
  for (int v = 1; v <= before; ++v) {
    whole += rebuilt.Value(v);
    whole.push_back(kValueMark);
  }
  whole += text;
  for (int v = j + 1; v <= rebuilt.ValueCount(); ++v) {
    whole.push_back(kValueMark);
    whole += rebuilt.Value(v);
  }
  SetItem(i, whole);
}

void DynArray::SetItem(int i, int j, int k, std::string_view text) {
  if (!impl_) impl_ = std::make_unique<Impl>();
  if (i == -1) i = static_cast<int>(impl_->Size()) + 1;
  if (j == -1) j = DCount(i) + 1;
  if (i < 1 || j < 1 || (k < 1 && k != -1)) ThrowBadIndex(i, j, k);
  std::string value = Item(i, j);
  if (k == -1) k = SubValueCount(value) + 1;
  ReplaceSubValue(value, k, text);
  SetItem(i, j, value);
}

int DynArray::DCount() const {
  const Impl& impl = MVDB_CONST_IMPL();
  const std::size_t n = impl.Size();
  if (n == 1 && impl.Find(0)->Text().empty()) return 0;
  return static_cast<int>(n);
}

int DynArray::DCount(int i) const {
  if (i < 1) return 0;
  const Attribute* attribute = MVDB_CONST_IMPL().Find(static_cast<std::size_t>(i - 1));
  return attribute ? attribute->ValueCount() : 0;
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
