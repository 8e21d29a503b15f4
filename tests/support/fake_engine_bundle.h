#pragma once

// FakeEngineBundle bundle;  // a temporary Quorvane.app whose engine is the fake engine
// bundle.setBehaviour(R"({"login": {"stdout": "bad password", "exit_code": 1}})");
// ...run bundle.engine()...; EXPECT_EQ(bundle.journal().at(0).arguments[0], "login");

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace quorvane::testing {

// Contents/MacOS/quorvane is a symlink to the fake engine, which keeps its
// behaviour.json and journal.jsonl beside it (fake_engine.cpp lists the behaviour
// keys), or to another engine given. Removed with everything in it when destroyed.
class FakeEngineBundle {
 public:
  struct Run {
    std::vector<std::string> arguments;  // without the program name
    std::optional<std::string> input;    // standard input, when the engine read it
    int pid = -1;
    std::vector<int> descriptors;  // open when it started
    std::string ignoredSignals;    // hex masks from /proc/self/status at its start
    std::string blockedSignals;
  };

  explicit FakeEngineBundle(const std::filesystem::path& program = QUORVANE_FAKE_ENGINE);

  const std::filesystem::path& directory() const { return bundle_; }  // holds Contents
  std::filesystem::path engine() const;  // Contents/MacOS/quorvane, a symlink
  void setBehaviour(const std::string& json);
  std::vector<Run> journal() const;  // oldest first

 private:
  TempDir temp_;
  std::filesystem::path bundle_;
};

}  // namespace quorvane::testing
