#pragma once

#include <chrono>
#include <filesystem>

#include "engine/engine.h"
#include "platform/loop.h"

namespace quorvane {

// The engine program run as child processes (posix/child_process): each short
// command on a background thread of `loop`, reporting through its main queue; the
// watch process reaped by its waiter thread, its end posted to the main queue.
class ProcessEngine : public Engine {
 public:
  // `stopGrace` bounds how long stopping the watch waits after SIGTERM before it
  // kills it, so a stuck engine cannot freeze the panel.
  ProcessEngine(Loop& loop, std::filesystem::path executable,
                std::chrono::milliseconds stopGrace = std::chrono::seconds(10));

  void run(std::vector<std::string> arguments, std::optional<std::string> input,
           Done done) override;
  WatchStart startWatch(std::vector<std::string> arguments, int log,
                        std::function<void()> ended) override;

 private:
  Loop& loop_;
  std::filesystem::path executable_;
  std::chrono::milliseconds stopGrace_;
};

}  // namespace quorvane
