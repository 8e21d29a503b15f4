#include "support/fake_engine_bundle.h"

#include <sstream>

namespace quorvane::testing {

FakeEngineBundle::FakeEngineBundle(const std::filesystem::path& program)
    : bundle_(temp_ / "Quorvane.app") {
  std::filesystem::create_directories(engine().parent_path());
  std::filesystem::create_symlink(program, engine());
}

std::vector<Json> FakeEngineBundle::journal() const {
  std::vector<Json> runs;
  std::istringstream lines(readFile(engine().parent_path() / "journal.jsonl"));
  for (std::string line; std::getline(lines, line);) runs.push_back(Json::parse(line));
  return runs;
}

}  // namespace quorvane::testing
