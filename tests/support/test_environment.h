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

}  // namespace morvane::testing
