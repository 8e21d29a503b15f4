#pragma once

// ScriptedEngine engine(loop);
// engine.reply("history", {2, "no server"});  // any other command: status 0, no text
// engine.hold("restore");                     // runs until engine.finishHeld()

#include <map>
#include <string>
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
  void finishHeld();

  std::vector<Run> runs;                       // every short command, in order
  std::optional<std::string> watchStartError;  // while set, the watch cannot start
  int watchesStarted = 0;
  // The running watch ends by itself; its report comes on the next turn of the loop.
  void endWatch();

  void run(std::vector<std::string> arguments, std::optional<std::string> input,
           Done done) override;
  WatchStart startWatch(std::vector<std::string> arguments, int log,
                        std::function<void()> ended) override;

 private:
  class Watch;

  Loop& loop_;
  struct Reply {
    EngineResult result;
    std::function<void(const Run&)> effect;
  };
  std::map<std::string, Reply> replies_;
  std::map<std::string, std::vector<std::function<void()>>> held_;
  Watch* watch_ = nullptr;  // the one running, owned by the application
  std::function<void()> ended_;
};

}  // namespace quorvane::testing
