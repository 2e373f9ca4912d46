// Helpers for the engine's tests: a scratch folder and record texts.
#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "mvdb/database.h"

namespace mvdb::testing_support {

/// A fresh folder under the system's temporary folder, removed with its content.
class ScratchDir {
 public:
  ScratchDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("mvdb-engine-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

/// Attributes joined with attribute marks.
inline std::string Attrs(std::initializer_list<std::string> parts) {
  std::string text;
  bool first = true;
  for (const auto& part : parts) {
    if (!first) text.push_back(kAttributeMark);
    text += part;
    first = false;
  }
  return text;
}

/// Runs fn and returns the code of the DbError it throws (fails the test when
/// it throws nothing: the returned code is then 0).
template <class Fn>
std::uint32_t CodeOf(Fn fn) {
  try {
    fn();
  } catch (const DbError& e) {
    return e.number();
  }
  return 0;
}

}  // namespace mvdb::testing_support
