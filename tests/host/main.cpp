// Test program of the host: widgets need a QApplication; the tests run on
// the offscreen platform unless QT_QPA_PLATFORM says otherwise, and never on
// the caller's database (MORVANE_DB).
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::unsetenv("MORVANE_DB");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
