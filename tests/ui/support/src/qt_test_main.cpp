// gtest main for tests that run dialogs: Qt's offscreen platform (unless the
// caller chose one) and no desktop theme, whose native file dialog can hang a
// modal run.

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  unsetenv("QT_QPA_PLATFORMTHEME");
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
