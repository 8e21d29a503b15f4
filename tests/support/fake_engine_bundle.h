#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "common/json_document.h"
#include "support/temp_dir.h"

namespace quorvane::testing {

// Contents/MacOS/quorvane is a symlink to the fake engine, which keeps its
// behaviour.json and journal.jsonl beside it (fake_engine.cpp lists the keys of
// both), or to another engine given. Removed with everything in it when destroyed.
class FakeEngineBundle {
 public:
  explicit FakeEngineBundle(const std::filesystem::path& program = QUORVANE_FAKE_ENGINE) {
    std::filesystem::create_directories(engine().parent_path());
    std::filesystem::create_symlink(program, engine());
  }

  const std::filesystem::path& directory() const { return bundle_; }  // holds Contents
  std::filesystem::path engine() const { return bundle_ / "Contents" / "MacOS" / "quorvane"; }
  void setBehaviour(const std::string& json) {
    writeFile(engine().parent_path() / "behaviour.json", json);
  }
  // One entry a run, oldest first.
  std::vector<Json> journal() const {
    std::vector<Json> runs;
    std::istringstream lines(readFile(engine().parent_path() / "journal.jsonl"));
    for (std::string line; std::getline(lines, line);) runs.push_back(Json::parse(line));
    return runs;
  }

 private:
  TempDir temp_;
  std::filesystem::path bundle_ = temp_ / "Quorvane.app";
};

}  // namespace quorvane::testing
