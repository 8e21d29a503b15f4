#include "support/fake_loop.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace quorvane::testing {

struct FakeLoop::Timer {
  double interval;
  double next;  // the next scheduled tick
  std::uint64_t order;
  bool missed = false;  // a tick was withheld during a modal
  bool cancelled = false;
  std::function<void()> tick;
};

namespace {

class TimerHandle : public RepeatingTimer {
 public:
  explicit TimerHandle(std::shared_ptr<FakeLoop::Timer> timer) : timer_(std::move(timer)) {}
  ~TimerHandle() override;

 private:
  std::shared_ptr<FakeLoop::Timer> timer_;
};

}  // namespace

TimerHandle::~TimerHandle() {
  timer_->cancelled = true;
}

FakeLoop::~FakeLoop() {
  std::vector<std::thread> threads;
  {
    std::lock_guard lock(mutex_);
    threads.swap(threads_);
  }
  for (auto& thread : threads) thread.join();
}

void FakeLoop::post(std::function<void()> block) {
  // Notified under the lock: a waiter thread posting its last report must be done
  // with the loop before the test, woken by it, can go on to destroy the loop.
  std::lock_guard lock(mutex_);
  posted_.push_back(std::move(block));
  changed_.notify_all();
}

void FakeLoop::after(Seconds delay, std::function<void()> block) {
  delayed_.push_back({now_ + delay.count(), ++order_, std::move(block)});
}

std::unique_ptr<RepeatingTimer> FakeLoop::repeat(Seconds interval, std::function<void()> tick) {
  auto timer = std::make_shared<Timer>(
      Timer{interval.count(), now_ + interval.count(), ++order_, false, false, std::move(tick)});
  timers_.push_back(timer);
  return std::make_unique<TimerHandle>(std::move(timer));
}

void FakeLoop::background(std::function<void()> work) {
  std::lock_guard lock(mutex_);
  ++outstanding_;
  threads_.emplace_back([this, work = std::move(work)]() mutable {
    work();
    work = nullptr;  // what it captured goes before the work counts as done
    {
      std::lock_guard lock(mutex_);
      --outstanding_;
    }
    changed_.notify_all();
  });
}

void FakeLoop::runPosted() {
  for (;;) {
    std::function<void()> block;
    {
      std::lock_guard lock(mutex_);
      if (posted_.empty()) return;
      block = std::move(posted_.front());
      posted_.pop_front();
    }
    block();
  }
}

bool FakeLoop::runNextEvent(double until) {
  std::erase_if(timers_, [](const auto& timer) { return timer->cancelled; });

  // The earliest event wins; at the same time, the one scheduled first.
  std::optional<std::pair<double, std::uint64_t>> best;
  std::optional<std::size_t> bestDelayed;
  std::shared_ptr<Timer> bestTimer;
  auto consider = [&](double at, std::uint64_t order) {
    if (at > until || (best && std::make_pair(at, order) >= *best)) return false;
    best = {at, order};
    return true;
  };
  for (std::size_t i = 0; i < delayed_.size(); ++i) {
    if (consider(delayed_[i].at, delayed_[i].order)) {
      bestDelayed = i;
      bestTimer = nullptr;
    }
  }
  for (const auto& timer : timers_) {
    const bool owed = timer->missed && modalDepth_ == 0;
    if (consider(owed ? now_ : timer->next, timer->order)) {
      bestTimer = timer;
      bestDelayed.reset();
    }
  }
  if (!best) return false;

  now_ = std::max(now_, best->first);
  if (bestDelayed) {
    std::function<void()> block = std::move(delayed_[*bestDelayed].block);
    delayed_.erase(delayed_.begin() + static_cast<std::ptrdiff_t>(*bestDelayed));
    block();
    return true;
  }
  Timer& timer = *bestTimer;
  if (timer.missed && modalDepth_ == 0) {
    timer.missed = false;  // the one tick owed for all withheld
  } else {
    timer.next += timer.interval;
    timer.order = ++order_;
    if (modalDepth_ > 0) {
      timer.missed = true;
      return true;
    }
  }
  std::function<void()> tick = timer.tick;  // the tick may cancel its own timer
  tick();
  return true;
}

void FakeLoop::advance(double seconds) {
  const double until = now_ + seconds;
  runPosted();
  while (runNextEvent(until)) runPosted();
  now_ = std::max(now_, until);
  runPosted();
}

void FakeLoop::runUntilIdle() {
  for (;;) {
    runPosted();
    while (runNextEvent(now_)) runPosted();
    std::unique_lock lock(mutex_);
    if (posted_.empty() && outstanding_ == 0) break;
    changed_.wait(lock, [this] { return !posted_.empty() || outstanding_ == 0; });
  }
  std::vector<std::thread> finished;
  {
    std::lock_guard lock(mutex_);
    if (outstanding_ == 0) finished.swap(threads_);
  }
  for (auto& thread : finished) thread.join();
}

bool FakeLoop::waitForPost(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [this] { return !posted_.empty(); });
}

void FakeLoop::beginModal() {
  ++modalDepth_;
}

void FakeLoop::endModal() {
  if (modalDepth_ > 0) --modalDepth_;
}

}  // namespace quorvane::testing
