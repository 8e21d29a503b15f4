#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/system.h"

namespace quorvane::testing {

// The session's facts as the test sets them. The login item behaves like the
// system's: register and unregister change its status unless an error is scripted.
class FakeSystem : public System {
 public:
  static constexpr int kProcessId = 4242;

  std::filesystem::path supportDirectory = "/nonexistent/data";
  std::filesystem::path home = "/nonexistent/home";
  std::filesystem::path bundle = "/nonexistent/Quorvane.app";
  std::vector<int> runningProcessIds{kProcessId};  // with this bundle identifier
  std::vector<std::string> argv{"quorvane-menubar"};
  std::optional<std::string> hostName = "Test Computer";

  LoginItemStatus loginStatus = LoginItemStatus::notRegistered;
  std::optional<std::string> registerError;  // registering fails with it
  int registerCalls = 0;
  int unregisterCalls = 0;

  std::vector<std::string> logged;  // the application logs on the main thread only

  std::filesystem::path applicationSupportDirectory() const override { return supportDirectory; }
  std::filesystem::path homeDirectory() const override { return home; }
  std::filesystem::path bundleDirectory() const override { return bundle; }
  std::string bundleIdentifier() const override { return "org.quorvane.Quorvane"; }
  std::vector<int> runningApplicationProcessIds(const std::string& identifier) override {
    return identifier == bundleIdentifier() ? runningProcessIds : std::vector<int>{};
  }
  LoginItemStatus loginItemStatus() const override { return loginStatus; }
  std::optional<std::string> registerLoginItem() override {
    ++registerCalls;
    if (!registerError) loginStatus = LoginItemStatus::enabled;
    return registerError;
  }
  std::optional<std::string> unregisterLoginItem() override {
    ++unregisterCalls;
    loginStatus = LoginItemStatus::notRegistered;
    return std::nullopt;
  }
  std::optional<std::string> localizedHostName() const override { return hostName; }
  std::vector<std::string> arguments() const override { return argv; }
  int processIdentifier() const override { return kProcessId; }
  void log(std::string_view line) override { logged.emplace_back(line); }
};

}  // namespace quorvane::testing
