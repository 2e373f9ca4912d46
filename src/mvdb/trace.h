// The engine's trace: with MVDB_TRACE=1 every selection and routine call is
// logged to standard error; MVDB_TRACE=<path> appends the log to that file.
#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace mvdb {

class Trace {
 public:
  /// Reads MVDB_TRACE once; unset, empty or "0" turns the trace off.
  static std::unique_ptr<Trace> FromEnvironment();
  ~Trace();
  bool On() const { return on_; }
  /// Writes one line: what was run, its outcome and how long it took. Marks are
  /// shown as '^' (attribute), ']' (value) and '\' (sub-value). Never throws.
  void Log(const std::string& kind, const std::string& text, const std::string& outcome,
           std::chrono::steady_clock::duration elapsed) noexcept;

 private:
  bool on_ = false;
  std::string path_;  // empty: standard error
};

}  // namespace mvdb
