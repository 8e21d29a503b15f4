#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class EngineSession;

// Short engine commands as the flows run them: one at a time, the application
// busy meanwhile. Main thread only.
class EngineCommands {
 public:
  using Completion = std::function<void(std::int32_t status, const std::string& text)>;

  virtual ~EngineCommands() = default;

  // A command runs, or a session holds the engine.
  virtual bool busy() const = 0;
  // run(_:input:completion:): sets busy, shows "Working…" and runs the engine; then,
  // on the main thread, clears busy (unless a session holds it), calls `completion`
  // with the status and the text, lets go of it and refreshes the indicator.
  virtual void run(std::vector<std::string> arguments, std::optional<std::string> input,
                   Completion completion) = 0;
  // The engine alone for one flow; none while busy.
  virtual std::shared_ptr<EngineSession> exclusiveSession() = 0;

 private:
  friend class EngineSession;
  // The session has ended: busy cleared, the watch started again.
  virtual void endSession() = 0;
};

// A flow's hold on the engine alone. From its opening the watch process is stopped
// and the application busy; when it ends, busy is cleared and the watch started
// again, exactly once. It ends when its last holder lets go: the flow that opened
// it, or the completion of a command run through it. Whatever path a flow takes,
// the end comes after its last dialog has closed.
class EngineSession : public std::enable_shared_from_this<EngineSession> {
 public:
  using Completion =
      std::function<void(EngineSession& session, std::int32_t status, const std::string& text)>;

  // Made by EngineCommands::exclusiveSession(), once it has stopped the watch.
  explicit EngineSession(std::shared_ptr<EngineCommands> commands)
      : commands_(std::move(commands)) {}
  ~EngineSession() { commands_->endSession(); }
  EngineSession(const EngineSession&) = delete;
  EngineSession& operator=(const EngineSession&) = delete;

  // run(_:input:completion:) within the session, which is held until `completion`
  // has returned. A command that follows is run through the session it is given.
  void run(std::vector<std::string> arguments, std::optional<std::string> input,
           Completion completion) {
    commands_->run(
        std::move(arguments), std::move(input),
        [self = shared_from_this(), completion = std::move(completion)](
            std::int32_t status, const std::string& text) { completion(*self, status, text); });
  }

 private:
  std::shared_ptr<EngineCommands> commands_;
};

}  // namespace quorvane
