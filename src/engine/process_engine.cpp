#include "engine/process_engine.h"

#include <utility>

#include "engine/command_runner.h"
#include "platform/posix/child_process.h"

namespace quorvane {
namespace {

class ProcessWatch : public WatchProcess {
 public:
  ProcessWatch(std::unique_ptr<ChildProcess> child, std::chrono::milliseconds stopGrace)
      : child_(std::move(child)), stopGrace_(stopGrace) {}
  ~ProcessWatch() override {
    child_->clearTerminationHandler();
    stopChild(*child_, stopGrace_);
  }
  int pid() const override { return child_->pid(); }

 private:
  std::unique_ptr<ChildProcess> child_;
  std::chrono::milliseconds stopGrace_;
};

}  // namespace

ProcessEngine::ProcessEngine(Loop& loop, std::filesystem::path executable,
                             std::chrono::milliseconds stopGrace)
    : loop_(loop), executable_(std::move(executable)), stopGrace_(stopGrace) {}

void ProcessEngine::run(std::vector<std::string> arguments, std::optional<std::string> input,
                        Done done) {
  // `done` is handed on to the main queue, so that what it holds (the application)
  // is never let go of on the background thread.
  loop_.background([&loop = loop_, executable = executable_, arguments = std::move(arguments),
                    input = std::move(input), done = std::move(done)]() mutable {
    EngineResult result = runEngineCommand(executable, arguments, input);
    loop.post([done = std::move(done), result = std::move(result)]() mutable {
      done(std::move(result));
    });
  });
}

Engine::WatchStart ProcessEngine::startWatch(std::vector<std::string> arguments, int log,
                                             std::function<void()> ended) {
  // The handler runs on the waiter thread: it only queues the report.
  TerminationHandler report = [&loop = loop_, ended = std::move(ended)](int) { loop.post(ended); };
  LaunchRequest request{executable_, std::move(arguments), Stdio::inherit(), Stdio::file(log),
                        Stdio::sameAsOutput()};
  auto launched = ChildProcess::launch(request, std::move(report));
  if (auto* error = std::get_if<std::string>(&launched)) return std::move(*error);
  return std::make_unique<ProcessWatch>(
      std::move(std::get<std::unique_ptr<ChildProcess>>(launched)), stopGrace_);
}

}  // namespace quorvane
