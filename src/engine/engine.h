#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace quorvane {

struct EngineResult {
  std::int32_t status = -1;  // the engine's termination status; -1 when it could not be run
  std::string text;          // stdout and stderr as written, or the error's description
  bool operator==(const EngineResult&) const = default;
};

// A running watch process. Destroying it stops it: SIGTERM, then SIGKILL when it
// has not ended after a grace period; a process stopped so is not reported ended.
class WatchProcess {
 public:
  virtual ~WatchProcess() = default;
  virtual int pid() const = 0;
};

// The sync engine as the front end drives it: short commands and the long-running
// watch. ProcessEngine runs the real program; tests use one in process. Main
// thread only.
class Engine {
 public:
  using Done = std::function<void(EngineResult result)>;
  using WatchStart = std::variant<std::unique_ptr<WatchProcess>, std::string>;

  virtual ~Engine() = default;

  // Runs one short command to its end: `arguments` after the program name,
  // `input` on its standard input (none: an empty one). `done` gets the status and
  // the text on the main thread, never before this call has returned; it is
  // destroyed there too. Output that is not UTF-8 gives an empty text; an engine
  // that cannot be run, or whose input cannot be written, gives -1 and the
  // system's description.
  virtual void run(std::vector<std::string> arguments, std::optional<std::string> input,
                   Done done) = 0;

  // Starts the watch process with `arguments`, both of its output streams
  // appended to the open file `log` (kept open by the caller until this returns).
  // `ended` runs on the main thread when the process ends by itself; a report may
  // still arrive for a process ended just before it was stopped. On failure, the
  // system's description of the error.
  virtual WatchStart startWatch(std::vector<std::string> arguments, int log,
                                std::function<void()> ended) = 0;
};

}  // namespace quorvane
