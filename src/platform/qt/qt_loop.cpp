#include "platform/qt/qt_loop.h"

#include <QTimer>
#include <algorithm>

#include "platform/qt/default_mode_timer.h"
#include "platform/qt/modal_gate.h"

namespace quorvane {

QtLoop::QtLoop(ModalGate& gate)
    : gate_(gate), receiver_(std::make_unique<QObject>()), delayed_(std::make_unique<QObject>()) {
  // Work items wait for their child processes, so a small pool could starve a
  // command behind long waits; threads are cheap next to an engine run.
  pool_.setMaxThreadCount(std::max(64, QThread::idealThreadCount()));
}

QtLoop::~QtLoop() {
  pool_.clear();
  pool_.waitForDone();
}

void QtLoop::post(std::function<void()> block) {
  {
    std::lock_guard lock(mutex_);
    if (!accepting_) return;
    posts_.push_back(std::move(block));
  }
  // One event per block: each runs from its own event, so a block that opens a
  // modal leaves the later ones to the nested loop, in order.
  QMetaObject::invokeMethod(
      receiver_.get(), [this] { runOnePost(); }, Qt::QueuedConnection);
}

void QtLoop::runOnePost() {
  std::function<void()> block;
  {
    std::lock_guard lock(mutex_);
    if (posts_.empty()) return;
    block = std::move(posts_.front());
    posts_.pop_front();
  }
  block();
}

void QtLoop::after(Seconds delay, std::function<void()> block) {
  if (!delayed_) return;
  const auto ms =
      std::max(std::chrono::milliseconds(0), std::chrono::ceil<std::chrono::milliseconds>(delay));
  QTimer::singleShot(ms, delayed_.get(), std::move(block));
}

std::unique_ptr<RepeatingTimer> QtLoop::repeat(Seconds interval, std::function<void()> tick) {
  return std::make_unique<DefaultModeTimer>(gate_, interval, std::move(tick));
}

void QtLoop::background(std::function<void()> work) {
  pool_.start(std::move(work));
}

double QtLoop::secondsSince1970() const {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return std::chrono::duration<double>(now).count();
}

bool QtLoop::waitForBackground(std::chrono::milliseconds timeout) {
  pool_.clear();
  return pool_.waitForDone(static_cast<int>(timeout.count()));
}

void QtLoop::discardPending() {
  std::deque<std::function<void()>> dropped;
  {
    std::lock_guard lock(mutex_);
    accepting_ = false;
    dropped.swap(posts_);
  }
  delayed_.reset();
}

}  // namespace quorvane
