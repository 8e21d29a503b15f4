#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "platform/loop.h"

namespace quorvane::testing {

// The engine in process, for flow tests. A command answers what was scripted for
// its sub-command, through the loop's main queue; a held one only once the test
// lets it finish. Watch processes are objects that the test can end.
class ScriptedEngine : public Engine {
 public:
  struct Run {
    std::vector<std::string> arguments;
    std::optional<std::string> input;
  };

  explicit ScriptedEngine(Loop& loop) : loop_(loop) {}

  // What `command` answers from now on; `effect`, when given, is what it does on
  // disk first (as login writes the client configuration).
  void reply(const std::string& command, EngineResult result,
             std::function<void(const Run&)> effect = {}) {
    replies_[command] = {std::move(result), std::move(effect)};
  }
  // The runs of `command` wait until finishHeld().
  void hold(const std::string& command) { held_[command]; }
  // The held commands complete (on the next turn of the loop); none is held after.
  void finishHeld() {
    for (auto& [command, completions] : std::exchange(held_, {})) {
      for (auto& complete : completions) complete();
    }
  }

  std::vector<Run> runs;                       // every short command, in order
  std::optional<std::string> watchStartError;  // while set, the watch cannot start
  int watchesStarted = 0;
  // The running watch ends by itself; its report comes on the next turn of the loop.
  void endWatch() {
    if (watch_.expired()) return;
    watch_.reset();
    loop_.post(ended_);
  }

  void run(std::vector<std::string> arguments, std::optional<std::string> input,
           Done done) override {
    runs.push_back({std::move(arguments), std::move(input)});
    const auto found = replies_.find(runs.back().arguments.at(0));
    const Reply reply = found == replies_.end() ? Reply{} : found->second;
    if (reply.effect) reply.effect(runs.back());
    auto complete = [this, done = std::move(done), result = reply.result] {
      loop_.post([done, result] { done(result); });
    };
    const auto held = held_.find(runs.back().arguments.at(0));
    if (held == held_.end()) {
      complete();
    } else {
      held->second.push_back(std::move(complete));
    }
  }
  WatchStart startWatch(std::vector<std::string>, int, std::function<void()> ended) override {
    if (watchStartError) return *watchStartError;
    auto watch = std::make_unique<Watch>(1000 + ++watchesStarted);
    watch_ = watch->alive;
    ended_ = std::move(ended);
    return watch;
  }

 private:
  struct Watch : WatchProcess {
    explicit Watch(int id) : id(id) {}
    int pid() const override { return id; }
    int id;
    std::shared_ptr<bool> alive = std::make_shared<bool>();  // as long as the application keeps it
  };
  struct Reply {
    EngineResult result{0, ""};
    std::function<void(const Run&)> effect;
  };

  Loop& loop_;
  std::map<std::string, Reply> replies_;
  std::map<std::string, std::vector<std::function<void()>>> held_;
  std::weak_ptr<bool> watch_;  // the one running
  std::function<void()> ended_;
};

}  // namespace quorvane::testing
