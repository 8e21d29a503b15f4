#include "support/fake_engine_bundle.h"

#include <sstream>
#include <stdexcept>

#include "common/json_document.h"

namespace quorvane::testing {

FakeEngineBundle::FakeEngineBundle(const std::filesystem::path& program)
    : bundle_(temp_ / "Quorvane.app") {
  std::filesystem::create_directories(engine().parent_path());
  std::filesystem::create_symlink(program, engine());
}

std::filesystem::path FakeEngineBundle::engine() const {
  return bundle_ / "Contents" / "MacOS" / "quorvane";
}

void FakeEngineBundle::setBehaviour(const std::string& json) {
  writeFile(engine().parent_path() / "behaviour.json", json);
}

std::vector<FakeEngineBundle::Run> FakeEngineBundle::journal() const {
  std::vector<Run> runs;
  std::istringstream lines(readFile(engine().parent_path() / "journal.jsonl"));
  for (std::string line; std::getline(lines, line);) {
    auto entry = parseJson(line);
    if (!entry) throw std::runtime_error("unreadable journal line: " + line);
    Run run;
    run.arguments = (*entry)["argv"].get<std::vector<std::string>>();
    run.pid = (*entry)["pid"].get<int>();
    run.descriptors = (*entry)["fds"].get<std::vector<int>>();
    run.ignoredSignals = (*entry)["ignored_signals"].get<std::string>();
    run.blockedSignals = (*entry)["blocked_signals"].get<std::string>();
    if (const Json* hex = member(*entry, "stdin_hex")) {
      std::string bytes;
      const std::string digits = hex->get<std::string>();
      for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
      }
      run.input = bytes;
    }
    runs.push_back(std::move(run));
  }
  return runs;
}

}  // namespace quorvane::testing
