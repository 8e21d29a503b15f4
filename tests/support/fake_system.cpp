#include "support/fake_system.h"

namespace quorvane::testing {

std::vector<int> FakeSystem::runningApplicationProcessIds(const std::string& bundleIdentifier) {
  if (bundleIdentifier != identifier) return {};
  return runningProcessIds;
}

std::optional<std::string> FakeSystem::registerLoginItem() {
  ++registerCalls;
  if (registerError) return registerError;
  loginStatus = LoginItemStatus::enabled;
  return std::nullopt;
}

std::optional<std::string> FakeSystem::unregisterLoginItem() {
  ++unregisterCalls;
  if (unregisterError) return unregisterError;
  loginStatus = LoginItemStatus::notRegistered;
  return std::nullopt;
}

std::vector<std::string> FakeSystem::logLines() const {
  std::lock_guard lock(logMutex_);
  return log_;
}

void FakeSystem::log(std::string_view line) {
  std::lock_guard lock(logMutex_);
  log_.emplace_back(line);
}

}  // namespace quorvane::testing
