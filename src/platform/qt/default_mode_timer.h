#pragma once

#include <QTimer>
#include <functional>

#include "platform/loop.h"

namespace quorvane {

class ModalGate;

// A repeating timer that, like one in a Cocoa run loop's default mode, holds its
// ticks while a modal or the status menu is up and then delivers a single one.
class DefaultModeTimer : public RepeatingTimer {
 public:
  DefaultModeTimer(ModalGate& gate, Seconds interval, std::function<void()> tick);

  // One interval has passed. Public so tests can stand in for the clock.
  void fire();

 private:
  void deliverMissed();

  ModalGate& gate_;
  std::function<void()> tick_;
  QTimer timer_;
  bool missed_ = false;
};

}  // namespace quorvane
