#pragma once

#include <QObject>
#include <QThreadPool>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/loop.h"

namespace quorvane {

class ModalGate;

// The Loop port on the Qt event loop. Posts and delayed blocks are ordinary Qt
// events, so nested (modal) event loops run them too; repeating timers consult
// the modal gate. `gate` must outlive the loop and every timer it made.
class QtLoop : public Loop {
 public:
  explicit QtLoop(ModalGate& gate);
  ~QtLoop() override;

  void post(std::function<void()> block) override;
  void after(Seconds delay, std::function<void()> block) override;
  std::unique_ptr<RepeatingTimer> repeat(Seconds interval, std::function<void()> tick) override;
  void background(std::function<void()> work) override;
  double secondsSince1970() const override;

  // For shutdown, once the event loop has ended. Waits up to `timeout` for
  // background work; false when some is still running.
  bool waitForBackground(std::chrono::milliseconds timeout);
  // Drops queued posts and pending delayed blocks, so whatever they hold is
  // released now, while the rest of the platform still exists. Later posts are
  // dropped too.
  void discardPending();

 private:
  void runOnePost();

  ModalGate& gate_;
  std::unique_ptr<QObject> receiver_;  // main-thread target of the post events
  std::unique_ptr<QObject> delayed_;   // context of the delayed blocks
  QThreadPool pool_;
  std::mutex mutex_;
  std::deque<std::function<void()>> posts_;
  bool accepting_ = true;
};

}  // namespace quorvane
