// Test program of the control: widgets need a QApplication; the tests run on
// the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // No settings of the machine or the user reach the tests.
  ::setenv("XDG_CONFIG_HOME", "/nonexistent/morvane-tests", 1);
  ::setenv("XDG_CONFIG_DIRS", "/nonexistent/morvane-tests", 1);
  for (const char* name : {"MORVANE_DB", "MORVANE_OUT", "MORVANE_PRINTER"}) ::unsetenv(name);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
