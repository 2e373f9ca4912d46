#include "demo/record_text.h"

#include <nlohmann/json.hpp>

#include <set>

#include "mvdb/dynarray.h"
#include "mvdb/jsonl.h"

namespace morvane::demo {
namespace {
const std::vector<std::string> kNoValues;
}

RecordText& RecordText::Set(int attribute, std::string value) {
  std::vector<std::string> values;
  values.push_back(std::move(value));
  return SetValues(attribute, std::move(values));
}

RecordText& RecordText::SetValues(int attribute, std::vector<std::string> values) {
  if (attribute < 1) return *this;
  if (attributes_.size() < static_cast<std::size_t>(attribute)) attributes_.resize(attribute);
  attributes_[attribute - 1] = std::move(values);
  return *this;
}

const std::vector<std::string>& RecordText::Values(int attribute) const {
  if (attribute < 1 || static_cast<std::size_t>(attribute) > attributes_.size()) return kNoValues;
  return attributes_[attribute - 1];
}

std::string RecordText::Get(int attribute) const {
  const auto& values = Values(attribute);
  return values.empty() ? std::string() : values.front();
}

std::string RecordText::Text() const {
  std::string text;
  for (std::size_t a = 0; a < attributes_.size(); ++a) {
    if (a > 0) text += mvdb::kAttributeMark;
    const auto& values = attributes_[a];
    for (std::size_t v = 0; v < values.size(); ++v) {
      if (v > 0) text += mvdb::kValueMark;
      text += values[v];
    }
  }
  return text;
}

std::string JsonLine(const FileRecord& record) {
  return mvdb::jsonl::EncodeLine(record.file, record.key, record.record.Text());
}

std::string JsonLines(const std::vector<FileRecord>& records) {
  const std::string dictionaryPrefix = "DICT ";
  std::set<std::string> declared;
  std::string text;
  for (const FileRecord& r : records) {
    const bool isDictionary = r.file.rfind(dictionaryPrefix, 0) == 0;
    const std::string file = isDictionary ? r.file.substr(dictionaryPrefix.size()) : r.file;
    if (declared.insert(file).second) {
      nlohmann::json declaration = nlohmann::json::object();
      declaration["file"] = file;
      declaration["kind"] = "hashed";
      text += declaration.dump();
      text += '\n';
    }
    text += JsonLine(r);
    text += '\n';
  }
  return text;
}

}  // namespace morvane::demo
