#include "support/scripted_engine.h"

namespace quorvane::testing {

class ScriptedEngine::Watch : public WatchProcess {
 public:
  Watch(ScriptedEngine& engine, int pid) : engine_(engine), pid_(pid) {}
  ~Watch() override {
    if (engine_.watch_ == this) engine_.watch_ = nullptr;
  }
  int pid() const override { return pid_; }

 private:
  ScriptedEngine& engine_;
  int pid_;
};

void ScriptedEngine::run(std::vector<std::string> arguments, std::optional<std::string> input,
                         Done done) {
  const std::string command = arguments.empty() ? "" : arguments.front();
  runs.push_back({std::move(arguments), std::move(input)});
  const auto found = replies_.find(command);
  const Reply reply = found == replies_.end() ? Reply{{0, ""}, {}} : found->second;
  if (reply.effect) reply.effect(runs.back());
  auto complete = [this, done = std::move(done), result = reply.result] {
    loop_.post([done, result] { done(result); });
  };
  if (auto held = held_.find(command); held != held_.end()) {
    held->second.push_back(std::move(complete));
  } else {
    complete();
  }
}

void ScriptedEngine::finishHeld() {
  auto held = std::move(held_);
  held_.clear();
  for (auto& [command, runs] : held) {
    for (auto& complete : runs) complete();
  }
}

Engine::WatchStart ScriptedEngine::startWatch(std::vector<std::string>, int,
                                              std::function<void()> ended) {
  if (watchStartError) return *watchStartError;
  auto watch = std::make_unique<Watch>(*this, 1000 + ++watchesStarted);
  watch_ = watch.get();
  ended_ = std::move(ended);
  return watch;
}

void ScriptedEngine::endWatch() {
  if (!watch_) return;
  watch_ = nullptr;
  loop_.post(ended_);
}

}  // namespace quorvane::testing
