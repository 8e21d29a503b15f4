#pragma once

#include <mutex>
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
  std::string identifier = "org.quorvane.Quorvane";
  std::vector<int> runningProcessIds{kProcessId};
  std::vector<std::string> argv{"quorvane-menubar"};
  std::optional<std::string> hostName = "Test Computer";

  LoginItemStatus loginStatus = LoginItemStatus::notRegistered;
  std::optional<std::string> registerError;  // the next calls fail with it
  std::optional<std::string> unregisterError;
  int registerCalls = 0;
  int unregisterCalls = 0;

  std::vector<std::string> logLines() const;

  std::filesystem::path applicationSupportDirectory() const override { return supportDirectory; }
  std::filesystem::path homeDirectory() const override { return home; }
  std::filesystem::path bundleDirectory() const override { return bundle; }
  std::string bundleIdentifier() const override { return identifier; }
  std::vector<int> runningApplicationProcessIds(const std::string& bundleIdentifier) override;
  LoginItemStatus loginItemStatus() const override { return loginStatus; }
  std::optional<std::string> registerLoginItem() override;
  std::optional<std::string> unregisterLoginItem() override;
  std::optional<std::string> localizedHostName() const override { return hostName; }
  std::vector<std::string> arguments() const override { return argv; }
  int processIdentifier() const override { return kProcessId; }
  void log(std::string_view line) override;

 private:
  mutable std::mutex logMutex_;
  std::vector<std::string> log_;
};

}  // namespace quorvane::testing
