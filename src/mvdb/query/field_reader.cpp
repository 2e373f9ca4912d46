#include "mvdb/query/field_reader.h"

#include <algorithm>
#include <bit>
#include <unordered_set>

#include "mvdb/dynarray.h"
#include "mvdb/storage.h"
#include "mvdb/query/values.h"

namespace mvdb::query {

void RecordView::Reset(std::string_view recordKey, std::string_view recordText) {
  key = recordKey;
  text = recordText;
  attributes_.clear();
  unsplit_ = 0;
  split_ = false;
}

std::string_view RecordView::Attribute(int n) const {
  if (n < 1) return {};
  while (!split_ && attributes_.size() < static_cast<std::size_t>(n)) {
#if defined(__SSE2__)
    // Attributes are short: the marks of sixteen bytes at once.
    if (unsplit_ + 16 <= text.size()) {
      const std::size_t from = unsplit_;
      unsigned found = MarkBits16(text.data() + from, kAttributeMark);
      if (found != 0) {
        for (; found != 0 && attributes_.size() < static_cast<std::size_t>(n); found &= found - 1) {
          const std::size_t mark = from + static_cast<std::size_t>(std::countr_zero(found));
          attributes_.push_back(text.substr(unsplit_, mark - unsplit_));
          unsplit_ = mark + 1;
        }
        continue;
      }
    }
#endif
    const std::size_t mark = text.find(kAttributeMark, unsplit_);
    split_ = mark == std::string_view::npos;
    attributes_.push_back(text.substr(unsplit_, split_ ? std::string_view::npos : mark - unsplit_));
    if (!split_) unsplit_ = mark + 1;
  }
  return static_cast<std::size_t>(n) <= attributes_.size() ? attributes_[n - 1] : std::string_view();
}

struct FieldReader::Cached {
  std::string text;
  RecordView view;
};

FieldReader::FieldReader(Storage& storage) : storage_(storage) {}
FieldReader::~FieldReader() = default;

void FieldReader::Keep(const std::string& file, std::string key, std::string text) {
  auto cached = std::make_unique<Cached>();
  cached->text = std::move(text);
  auto it = cache_[file].emplace(std::move(key), std::move(cached)).first;
  // The key view must point into the map's own key, which never moves.
  it->second->view.Reset(it->first, it->second->text);
}

const FieldReader::Cached& FieldReader::Target(const std::string& file, std::string_view key) {
  // Records read in key order often translate through the same record in a row.
  if (last_ && last_->view.key == key && lastFile_ == file) return *last_;
  auto& records = cache_[file];
  auto it = records.find(key);
  if (it == records.end()) {
    Keep(file, std::string(key), storage_.Get(file, std::string(key)).value_or(std::string()));
    it = records.find(key);
  }
  last_ = it->second.get();
  lastFile_ = file;
  return *it->second;
}

void FieldReader::Prefetch(const std::vector<const FieldDef*>& fields, const std::vector<RecordView>& records) {
  std::vector<std::string_view> keys;
  std::vector<const FieldDef*> done;  // fields of other files read through the same keys need nothing more
  for (const FieldDef* field : fields) {
    if (field->kind != FieldKind::kTranslation) continue;
    const KeyExpression& k = field->keyExpression;
    if (std::any_of(done.begin(), done.end(), [&](const FieldDef* other) {
          const KeyExpression& o = other->keyExpression;
          return other->targetFile == field->targetFile && o.kind == k.kind && o.attribute == k.attribute &&
                 o.start == k.start && o.length == k.length;
        })) {
      continue;
    }
    done.push_back(field);
    auto& cached = cache_[field->targetFile];
    std::unordered_set<std::string_view> wanted;  // views into the records
    std::string_view previous;
    auto want = [&](std::string_view key) {
      if (key.empty() || key == previous) return;  // neighbours often share it
      previous = key;
      if (!cached.contains(key)) wanted.insert(key);
    };
    for (const RecordView& record : records) {
      if (k.kind == FieldKind::kKeyPart) {  // the usual case: no list of keys
        want(KeyPartOf(record.key, k.start, k.length));
        continue;
      }
      TargetKeys(*field, record, keys);
      for (std::string_view key : keys) want(key);
    }
    std::vector<std::string> missing(wanted.begin(), wanted.end());
    std::sort(missing.begin(), missing.end());
    storage_.GetMany(field->targetFile, missing, [&](const std::string& key, const std::string& text) {
      Keep(field->targetFile, key, text);
      return true;
    });
    for (std::string& key : missing) {
      if (!cached.contains(key)) Keep(field->targetFile, std::move(key), std::string());  // no such record
    }
  }
}

void FieldReader::TargetKeys(const FieldDef& field, const RecordView& record, std::vector<std::string_view>& out) {
  out.clear();
  const KeyExpression& k = field.keyExpression;
  if (k.kind == FieldKind::kKey) {
    out.push_back(record.key);
  } else if (k.kind == FieldKind::kKeyPart) {
    out.push_back(KeyPartOf(record.key, k.start, k.length));
  } else {
    SplitOn(k.attribute == 0 ? record.key : record.Attribute(k.attribute), kValueMark, out);
  }
}

void FieldReader::AppendTranslated(const FieldDef& field, std::string_view targetKey,
                                   std::vector<std::string_view>& out) {
  if (targetKey.empty()) {
    out.push_back({});
    return;
  }
  const Cached& target = Target(field.targetFile, targetKey);
  const std::string_view attribute = field.attribute == 0 ? target.view.key : target.view.Attribute(field.attribute);
  if (field.attribute == 0 && target.text.empty()) {
    out.push_back({});
    return;
  }
  AppendSplit(attribute, kValueMark, out);
}

void FieldReader::Values(const FieldDef& field, const RecordView& record, std::vector<std::string_view>& out) {
  out.clear();
  switch (field.kind) {
    case FieldKind::kKey:
      out.push_back(record.key);
      return;
    case FieldKind::kKeyPart:
      out.push_back(KeyPartOf(record.key, field.start, field.length));
      return;
    case FieldKind::kAttribute:
      SplitOn(record.Attribute(field.attribute), kValueMark, out);
      return;
    case FieldKind::kTranslation: {
      TargetKeys(field, record, targetKeys_);
      for (std::string_view key : targetKeys_) AppendTranslated(field, key, out);
      return;
    }
  }
}

std::string_view FieldReader::FirstValue(const FieldDef& field, const RecordView& record) {
  Values(field, record, scratch_);
  return scratch_.empty() ? std::string_view() : scratch_.front();
}

}  // namespace mvdb::query
