// The Qt adapter tests need a QApplication; ctest runs them on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLoggingCategory>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // That platform warns each time a window is raised or resized.
  QLoggingCategory::setFilterRules("default.warning=false");
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
