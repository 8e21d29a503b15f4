#pragma once

#include <filesystem>

#include "common/json_document.h"
#include "support/temp_dir.h"

namespace quorvane::testing {

// A named pipe that holds a fake engine at one point of its run: give path() to
// its "write_files" behaviour and the engine blocks there until pass() is called,
// so a test knows the engine got that far without sleeping.
class EngineGate {
 public:
  EngineGate();
  ~EngineGate();  // lets an engine still waiting go, so that a failed test ends
  EngineGate(const EngineGate&) = delete;
  EngineGate& operator=(const EngineGate&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // The value of "write_files" that makes an engine wait here.
  Json writeFiles() const { return {{path_.string(), "reached"}}; }
  // Blocks until the engine has reached the gate, then lets it go on.
  void pass();

 private:
  TempDir dir_;
  std::filesystem::path path_;
};

}  // namespace quorvane::testing
