#include "platform/qt/default_mode_timer.h"

#include <chrono>

#include "platform/qt/modal_gate.h"

namespace quorvane {

DefaultModeTimer::DefaultModeTimer(ModalGate& gate, Seconds interval, std::function<void()> tick)
    : gate_(gate), tick_(std::move(tick)) {
  timer_.setInterval(std::chrono::ceil<std::chrono::milliseconds>(interval));
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { fire(); });
  // The context ties the connection to the timer: no call after it is destroyed.
  QObject::connect(&gate_, &ModalGate::opened, &timer_, [this] {
    // Queued, so the tick comes once control is back in the main loop, after the
    // code that ran the modal has finished, as on a run loop.
    if (missed_) QTimer::singleShot(0, &timer_, [this] { deliverMissed(); });
  });
  timer_.start();
}

void DefaultModeTimer::fire() {
  if (!gate_.isOpen()) {
    missed_ = true;
    return;
  }
  missed_ = false;
  // A copy: the tick may destroy this timer.
  auto tick = tick_;
  tick();
}

void DefaultModeTimer::deliverMissed() {
  if (missed_ && gate_.isOpen()) fire();
}

}  // namespace quorvane
