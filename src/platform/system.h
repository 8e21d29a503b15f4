#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// ServiceManagement's numbering of the login item's status.
enum class LoginItemStatus { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };

// Facts about the process and services of the desktop session. Main thread only
// unless noted.
class System {
 public:
  virtual ~System() = default;

  // The per-user application data folder (Application Support; XDG data home).
  virtual std::filesystem::path applicationSupportDirectory() const = 0;
  virtual std::filesystem::path homeDirectory() const = 0;

  // The application bundle (the folder holding Contents/MacOS and
  // Contents/Resources), found from the running executable.
  virtual std::filesystem::path bundleDirectory() const = 0;
  virtual std::string bundleIdentifier() const = 0;

  // Process ids of the running applications with this bundle identifier, this
  // process included when it counts as one of them.
  virtual std::vector<int> runningApplicationProcessIds(const std::string& bundleIdentifier) = 0;

  virtual LoginItemStatus loginItemStatus() const = 0;
  // Each returns the error's description on failure, none on success.
  virtual std::optional<std::string> registerLoginItem() = 0;
  virtual std::optional<std::string> unregisterLoginItem() = 0;

  // The computer's name as people see it, when it has one.
  virtual std::optional<std::string> localizedHostName() const = 0;

  virtual std::vector<std::string> arguments() const = 0;  // argv, program name first
  virtual int processIdentifier() const = 0;

  // One line to the system log. Thread-safe.
  virtual void log(std::string_view line) = 0;
};

}  // namespace quorvane
