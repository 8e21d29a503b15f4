// The Qt adapter tests need a QApplication; ctest runs them on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

namespace {

QtMessageHandler qtDefault = nullptr;

// The offscreen platform says so each time a window is raised or resized; the
// notes bury the test output and tell nothing about the code under test.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith("This plugin does not support")) return;
  qtDefault(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qtDefault = qInstallMessageHandler(quietOffscreen);
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
