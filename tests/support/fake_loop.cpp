#include "support/fake_loop.h"

#include <algorithm>
#include <utility>

namespace quorvane::testing {

struct FakeLoop::Timer {
  double interval;
  std::function<void()> tick;
};

void FakeLoop::post(std::function<void()> block) {
  // Notified under the lock: a waiter thread posting its last report must be done
  // with the loop before the test, woken by it, can go on to destroy the loop.
  std::lock_guard lock(mutex_);
  queue_.push_back(std::move(block));
  posted_.notify_all();
}

void FakeLoop::schedule(double at, std::function<void()> block) {
  timed_.push_back({at, ++order_, std::move(block)});
}

void FakeLoop::after(Seconds delay, std::function<void()> block) {
  schedule(now_ + delay.count(), std::move(block));
}

std::unique_ptr<RepeatingTimer> FakeLoop::repeat(Seconds interval, std::function<void()> tick) {
  // The application's handle owns the timer; the loop's own references are weak.
  struct Handle : RepeatingTimer {
    std::shared_ptr<Timer> timer;
  };
  auto timer = std::make_shared<Timer>(Timer{interval.count(), std::move(tick)});
  scheduleTick(timer, now_ + interval.count());
  auto handle = std::make_unique<Handle>();
  handle->timer = std::move(timer);
  return handle;
}

void FakeLoop::scheduleTick(const std::shared_ptr<Timer>& timer, double at) {
  schedule(at, [this, weak = std::weak_ptr(timer), at] {
    const std::shared_ptr<Timer> live = weak.lock();
    if (!live) return;
    scheduleTick(live, at + live->interval);
    if (modalDepth_ == 0) live->tick();
  });
}

void FakeLoop::runPosted() {
  for (;;) {
    std::function<void()> block;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) return;
      block = std::move(queue_.front());
      queue_.pop_front();
    }
    block();
  }
}

bool FakeLoop::runNextTimed(double until) {
  auto next = std::min_element(timed_.begin(), timed_.end(), [](const Timed& a, const Timed& b) {
    return std::pair(a.at, a.order) < std::pair(b.at, b.order);
  });
  if (next == timed_.end() || next->at > until) return false;
  now_ = std::max(now_, next->at);
  std::function<void()> block = std::move(next->block);
  timed_.erase(next);
  block();
  return true;
}

void FakeLoop::advance(double seconds) {
  const double until = now_ + seconds;
  runPosted();
  while (runNextTimed(until)) runPosted();
  now_ = std::max(now_, until);
  runPosted();
}

bool FakeLoop::waitForPost(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return posted_.wait_for(lock, timeout, [this] { return !queue_.empty(); });
}

}  // namespace quorvane::testing
