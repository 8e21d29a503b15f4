#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/bundle_location.h"
#include "platform/system.h"

namespace quorvane {

class InstanceLock;

// The System port on a Linux desktop: XDG folders, the bundle found from the real
// path of the running executable, a lock file for the single-instance rule, XDG
// autostart for the login item, the pretty host name, and standard error as the log.
class LinuxSystem : public System {
 public:
  static constexpr const char* kBundleIdentifier = "org.quorvane.Quorvane";

  // `executable` is the running front end, whose real path locates the bundle.
  explicit LinuxSystem(std::vector<std::string> arguments,
                       std::filesystem::path executable = runningExecutable());
  ~LinuxSystem() override;

  std::filesystem::path applicationSupportDirectory() const override;
  std::filesystem::path homeDirectory() const override;
  std::filesystem::path bundleDirectory() const override;
  std::string bundleIdentifier() const override;
  std::vector<int> runningApplicationProcessIds(const std::string& bundleIdentifier) override;
  LoginItemStatus loginItemStatus() const override;
  std::optional<std::string> registerLoginItem() override;
  std::optional<std::string> unregisterLoginItem() override;
  std::optional<std::string> localizedHostName() const override;
  std::vector<std::string> arguments() const override;
  int processIdentifier() const override;
  void log(std::string_view line) override;

  // The folder for this user's runtime files (the lock and the hand-off socket):
  // $XDG_RUNTIME_DIR, else a private folder under /tmp.
  std::filesystem::path runtimeDirectory() const;

 private:
  std::vector<std::string> arguments_;
  std::filesystem::path executable_;
  std::unique_ptr<InstanceLock> lock_;  // held for the life of the process once taken
};

}  // namespace quorvane
