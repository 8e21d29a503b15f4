#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/loop.h"

namespace quorvane::testing {

// A main loop with a virtual clock, driven by the test from its own thread, which
// plays the main thread. Background work runs at once, on the caller's thread;
// only the reports of ended child processes are posted from other threads.
// Everything else happens inside advance().
class FakeLoop : public Loop {
 public:
  static constexpr double kStartTime = 1'800'000'000.0;

  explicit FakeLoop(double startTime = kStartTime) : now_(startTime) {}

  void post(std::function<void()> block) override;
  void after(Seconds delay, std::function<void()> block) override;
  std::unique_ptr<RepeatingTimer> repeat(Seconds interval, std::function<void()> tick) override;
  void background(std::function<void()> work) override { work(); }
  double secondsSince1970() const override { return now_; }

  // Moves the clock forward, running each delayed block and timer tick as its time
  // comes, in time order (at the same time, in the order scheduled), and the main
  // queue before and after each.
  void advance(double seconds);
  // Runs what is due now.
  void runUntilIdle() { advance(0); }
  // Waits until some thread has posted a block (true at once when one is pending);
  // false after `timeout`. Runs nothing.
  bool waitForPost(std::chrono::milliseconds timeout);

  // Between these (a modal dialog, an open menu) timer ticks are skipped. They nest.
  void beginModal() { ++modalDepth_; }
  void endModal() { --modalDepth_; }

  struct Timer;

 private:
  struct Timed {
    double at;
    std::uint64_t order;
    std::function<void()> block;
  };
  void schedule(double at, std::function<void()> block);
  void scheduleTick(const std::shared_ptr<Timer>& timer, double at);
  void runPosted();
  bool runNextTimed(double until);

  double now_;
  std::uint64_t order_ = 0;
  int modalDepth_ = 0;
  std::vector<Timed> timed_;

  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> queue_;
};

}  // namespace quorvane::testing
