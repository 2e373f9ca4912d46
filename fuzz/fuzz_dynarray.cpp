// DynArray against a plain model (a vector of attribute texts): parsing keeps
// the text, reads agree with splitting at the marks, and a sequence of
// SetItem / Delete / value writes driven by the input keeps the two in step.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "mvdb/dynarray.h"

namespace {

std::vector<std::string> Split(const std::string& text, char mark) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == mark) parts.emplace_back();
    else parts.back() += c;
  }
  return parts;
}

std::string Join(const std::vector<std::string>& parts, char mark) {
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += mark;
    text += parts[i];
  }
  return text;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

// Every read of `array` agrees with the model text.
void CheckReads(const mvdb::DynArray& array, const std::string& text) {
  Check(array.Text() == text);
  const auto attributes = Split(text, mvdb::kAttributeMark);
  Check(array.DCount() == (text.empty() ? 0 : static_cast<int>(attributes.size())));
  const int shown = std::min<int>(attributes.size(), 64);
  for (int i = 1; i <= shown; ++i) {
    const auto& attribute = attributes[i - 1];
    Check(array.Item(i) == attribute);
    const auto values = Split(attribute, mvdb::kValueMark);
    Check(array.DCount(i) == (attribute.empty() ? 0 : static_cast<int>(values.size())));
    for (int j = 1; j <= std::min<int>(values.size(), 16); ++j) {
      Check(array.Item(i, j) == values[j - 1]);
      const auto subs = Split(values[j - 1], mvdb::kSubValueMark);
      for (int k = 1; k <= std::min<int>(subs.size(), 4); ++k) Check(array.Item(i, j, k) == subs[k - 1]);
    }
    Check(array.Item(i, static_cast<int>(values.size()) + 1).empty());
  }
  Check(array.Item(static_cast<int>(attributes.size()) + 1).empty());
  Check(array.Item(0).empty() && array.Item(-5).empty());
}

// Plain text without marks for element writes.
std::string Plain(FuzzedDataProvider& in) {
  std::string text = in.ConsumeRandomLengthString(12);
  for (char& c : text)
    if (c == mvdb::kAttributeMark || c == mvdb::kValueMark || c == mvdb::kSubValueMark) c = '#';
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string initial = in.ConsumeRandomLengthString(512);
  mvdb::DynArray array(initial);
  CheckReads(array, initial);
  mvdb::DynArray copy = array;  // copies are independent

  std::vector<std::string> model = Split(initial, mvdb::kAttributeMark);
  if (initial.empty()) model.clear();
  while (in.remaining_bytes() > 0) {
    const int op = in.ConsumeIntegralInRange(0, 4);
    const int i = in.ConsumeIntegralInRange(1, 40);
    if (op == 0) {  // attribute write, padding past the end
      const std::string text = Plain(in);
      array.SetItem(i, text);
      if (static_cast<int>(model.size()) < i) model.resize(i);
      model[i - 1] = text;
    } else if (op == 1) {  // delete
      array.Delete(i);
      if (i <= static_cast<int>(model.size())) model.erase(model.begin() + (i - 1));
    } else if (op == 2) {  // value write
      const int j = in.ConsumeIntegralInRange(1, 8);
      const std::string text = Plain(in);
      array.SetItem(i, j, text);
      if (static_cast<int>(model.size()) < i) model.resize(i);
      auto values = Split(model[i - 1], mvdb::kValueMark);
      if (static_cast<int>(values.size()) < j) values.resize(j);
      values[j - 1] = text;
      model[i - 1] = Join(values, mvdb::kValueMark);
    } else if (op == 3) {  // append a value
      const std::string text = Plain(in);
      array.SetItem(i, -1, text);
      if (static_cast<int>(model.size()) < i) model.resize(i);
      model[i - 1] = model[i - 1].empty() ? text : model[i - 1] + mvdb::kValueMark + text;
    } else {  // append an attribute
      const std::string text = Plain(in);
      array.SetItem(-1, text);
      model.push_back(text);
    }
    std::string expected = Join(model, mvdb::kAttributeMark);
    // Trailing empty attributes may or may not be kept: compare what both hold.
    const std::string actual = array.Text();
    if (actual != expected) {
      std::string trimmed = expected;
      while (!trimmed.empty() && trimmed.back() == mvdb::kAttributeMark) trimmed.pop_back();
      std::string actualTrimmed = actual;
      while (!actualTrimmed.empty() && actualTrimmed.back() == mvdb::kAttributeMark) actualTrimmed.pop_back();
      Check(trimmed == actualTrimmed);
    }
    CheckReads(array, actual);
  }
  CheckReads(copy, initial);
  return 0;
}
