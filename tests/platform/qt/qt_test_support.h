#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "platform/qt/modal_gate.h"
#include "platform/qt/qt_loop.h"
#include "platform/qt/qt_ui.h"

namespace quorvane::testing {

// Lets the event loop run until `done` holds; false if it never did. The deadline
// only keeps a broken adapter from hanging the suite.
inline bool processUntil(const std::function<bool()>& done) {
  QDeadlineTimer deadline(10000);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// The person at the screen: once a modal window is up, `act` gets it. Call just
// before the code that runs the modal.
inline void whenModal(std::function<void(QWidget*)> act, int delayMs = 0) {
  QTimer::singleShot(delayMs, [act = std::move(act)]() mutable {
    if (QWidget* modal = QApplication::activeModalWidget()) return act(modal);
    whenModal(std::move(act), 5);
  });
}

inline MenuItem item(std::string title, std::optional<MenuAction> action, bool enabled = true,
                     bool checked = false) {
  return MenuItem{MenuItem::Kind::item, std::move(title), action, enabled, checked};
}

// A status menu of the core's kind: the status line, a disabled command, a check
// mark, separators; `busy` disables the commands that need the engine.
inline Menu statusMenu(const std::string& line, bool busy = false) {
  return {item(line, std::nullopt, false),
          MenuItem::separator(),
          item("Pause Syncing", MenuAction::togglePause, !busy),
          item("Export_Server & Co…", MenuAction::exportServer, !busy),
          MenuItem::separator(),
          item("Start at Login", MenuAction::toggleLogin, true, true),
          item("Set Up This Computer…", MenuAction::setupAction, false),
          item("About Quorvane", MenuAction::about),
          MenuItem::separator(),
          item("Quit Quorvane", MenuAction::quit)};
}

// The application as the adapters see it: records menu choices and quit requests.
class RecordingDelegate : public ApplicationDelegate {
 public:
  TerminateReply reply = TerminateReply::now;
  int askedToTerminate = 0;
  std::vector<MenuAction> actions;

  void applicationDidFinishLaunching() override {}
  TerminateReply applicationShouldTerminate() override {
    ++askedToTerminate;
    return reply;
  }
  void applicationOpen(const std::vector<std::filesystem::path>&) override {}
  void performMenuAction(MenuAction action) override { actions.push_back(action); }
};

class QtUiTest : public ::testing::Test {
 protected:
  ModalGate gate;
  QtLoop loop{gate};
  // No session bus: the XEmbed tray, whatever the machine running the tests has.
  QtUi ui{gate, loop, QDBusConnection(QStringLiteral("no bus"))};
  RecordingDelegate delegate;

  void SetUp() override { ui.setDelegate(&delegate); }
};

}  // namespace quorvane::testing
