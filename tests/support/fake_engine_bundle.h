#pragma once

// FakeEngineBundle bundle;  // a temporary Quorvane.app whose engine is the fake engine
// bundle.setBehaviour(R"({"login": {"stdout": "bad password", "exit_code": 1}})");
// ...run bundle.engine()...; EXPECT_EQ(bundle.journal().at(0)["argv"][0], "login");

#include <filesystem>
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
  explicit FakeEngineBundle(const std::filesystem::path& program = QUORVANE_FAKE_ENGINE);

  const std::filesystem::path& directory() const { return bundle_; }  // holds Contents
  std::filesystem::path engine() const { return bundle_ / "Contents" / "MacOS" / "quorvane"; }
  void setBehaviour(const std::string& json) {
    writeFile(engine().parent_path() / "behaviour.json", json);
  }
  std::vector<Json> journal() const;  // one entry a run, oldest first

 private:
  TempDir temp_;
  std::filesystem::path bundle_;
};

}  // namespace quorvane::testing
