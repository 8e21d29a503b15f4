#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWidget>
#include <functional>

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
    if (QWidget* modal = QApplication::activeModalWidget()) {
      act(modal);
    } else {
      whenModal(std::move(act), 5);
    }
  });
}

}  // namespace quorvane::testing
