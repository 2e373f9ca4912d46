// main() of the Qt test programs (control, services, host): widgets need a
// QApplication; the tests run in the environment of
// support/test_environment.h, whatever the caller's.
#include <gtest/gtest.h>

#include <QApplication>

#include "support/test_environment.h"

int main(int argc, char** argv) {
  morvane::testing::SetTestEnvironment();
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
