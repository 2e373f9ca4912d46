// The environment a test program runs in, whatever the caller's shell holds:
// no fixed "today" (a test that needs one sets MORVANE_TODAY or hands a date
// in, and a test that computes from today asks the same service as the
// program), no settings files or variables, universal time, the C locale in UTF-8 (English day names, the
// decimal point), and the offscreen platform unless another is asked for.
// Called first thing in main, before Qt starts; the programs a test starts
// inherit it.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace morvane::testing {

inline void SetTestEnvironment() {
  ::unsetenv("MORVANE_TODAY");
  ::unsetenv("MORVANE_PRINTERS");
  // No settings of the machine or the user reach the tests.
  for (const char* name : {"MORVANE_DB", "MORVANE_OUT", "MORVANE_PRINTER"}) ::unsetenv(name);
  ::setenv("XDG_CONFIG_HOME", "/nonexistent/morvane-tests", 1);
  ::setenv("XDG_CONFIG_DIRS", "/nonexistent/morvane-tests", 1);
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  ::setenv("LC_ALL", "C.UTF-8", 1);
  ::setenv("LANG", "C.UTF-8", 1);
  ::unsetenv("LANGUAGE");
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

/// Sets an environment variable (removes it when `value` is null) for the
/// life of the object, then puts the previous value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(name_, value);
  }
  ~ScopedEnv() { Set(name_, old_ ? old_->c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
  /// Sets `name`, or removes it when `value` is null.
  static void Set(const char* name, const char* value) { value ? ::setenv(name, value, 1) : ::unsetenv(name); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace morvane::testing
