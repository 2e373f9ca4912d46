#include "mvdb/query/field_reader.h"

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

const FieldReader::Cached& FieldReader::Target(const std::string& file, std::string_view key) {
  auto& records = cache_[file];
  auto it = records.find(std::string(key));
  if (it == records.end()) {
    auto cached = std::make_unique<Cached>();
    cached->text = storage_.Get(file, std::string(key)).value_or(std::string());
    it = records.emplace(std::string(key), std::move(cached)).first;
    // The key view must point into the map's own key, which never moves.
    it->second->view.Reset(it->first, it->second->text);
  }
  return *it->second;
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
      out.push_back(record.key.substr(std::min<std::size_t>(field.start - 1, record.key.size()), field.length));
      return;
    case FieldKind::kAttribute:
      SplitOn(record.Attribute(field.attribute), kValueMark, out);
      return;
    case FieldKind::kTranslation: {
      const KeyExpression& k = field.keyExpression;
      if (k.kind == FieldKind::kKey) {
        AppendTranslated(field, record.key, out);
      } else if (k.kind == FieldKind::kKeyPart) {
        AppendTranslated(field, record.key.substr(std::min<std::size_t>(k.start - 1, record.key.size()), k.length),
                         out);
      } else {
        std::vector<std::string_view> keys;
        SplitOn(k.attribute == 0 ? record.key : record.Attribute(k.attribute), kValueMark, keys);
        for (std::string_view key : keys) AppendTranslated(field, key, out);
      }
      return;
    }
  }
}

std::string_view FieldReader::FirstValue(const FieldDef& field, const RecordView& record) {
  Values(field, record, scratch_);
  return scratch_.empty() ? std::string_view() : scratch_.front();
}

}  // namespace mvdb::query
