#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace quorvane {

using Seconds = std::chrono::duration<double>;

// Cancels its timer when destroyed.
class RepeatingTimer {
 public:
  virtual ~RepeatingTimer() = default;
};

// The main loop as the core sees it. Every member but post() and background() is
// called on the main thread only.
class Loop {
 public:
  virtual ~Loop() = default;

  // Thread-safe. Runs `block` on the main thread, in the order posted. Posts run
  // while a modal dialog or panel is up, as on a Cocoa main queue.
  virtual void post(std::function<void()> block) = 0;

  // Runs `block` on the main thread once `delay` has passed. Runs during modals too.
  virtual void after(Seconds delay, std::function<void()> block) = 0;

  // A repeating timer in the run loop's default mode: the first tick comes one
  // interval after the call; no tick is delivered while a modal dialog or panel
  // runs or while the status menu is open, and all ticks missed meanwhile arrive
  // as a single tick afterwards. Ticks stop when the handle is destroyed.
  virtual std::unique_ptr<RepeatingTimer> repeat(Seconds interval, std::function<void()> tick) = 0;

  // Thread-safe. Runs `work` on a background thread; several may run at once.
  // `work` touches no core state and reports back through post().
  virtual void background(std::function<void()> work) = 0;

  // Wall-clock time in seconds since 1970-01-01 00:00 UTC.
  virtual double secondsSince1970() const = 0;
};

}  // namespace quorvane
