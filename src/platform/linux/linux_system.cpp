#include "platform/linux/linux_system.h"

#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/linux/autostart.h"
#include "platform/linux/host_name.h"
#include "platform/linux/instance_lock.h"
#include "platform/linux/xdg_locations.h"
#include "platform/posix/files.h"

namespace quorvane {
namespace {

// One write() per line, so lines from several threads never mix.
void writeLogLine(std::string_view line) {
  std::string text(line);
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  text += '\n';
  std::string_view left = text;
  while (!left.empty()) {
    ssize_t written = ::write(STDERR_FILENO, left.data(), left.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    left.remove_prefix(static_cast<std::size_t>(written));
  }
}

std::filesystem::path autostartEntry() {
  return xdg::configHome(xdg::processEnvironment()) / "autostart" /
         (std::string(LinuxSystem::kBundleIdentifier) + ".desktop");
}

}  // namespace

LinuxSystem::LinuxSystem(std::vector<std::string> arguments, std::filesystem::path executable)
    : arguments_(std::move(arguments)), executable_(std::move(executable)) {}
LinuxSystem::~LinuxSystem() = default;

std::filesystem::path LinuxSystem::applicationSupportDirectory() const {
  return xdg::dataHome(xdg::processEnvironment());
}

std::filesystem::path LinuxSystem::homeDirectory() const {
  return xdg::home(xdg::processEnvironment());
}

std::filesystem::path LinuxSystem::bundleDirectory() const {
  return bundleFromExecutable(executable_);
}

std::string LinuxSystem::bundleIdentifier() const {
  return kBundleIdentifier;
}

std::vector<int> LinuxSystem::runningApplicationProcessIds(const std::string& bundleIdentifier) {
  bool ours = bundleIdentifier == kBundleIdentifier;
  if (ours && lock_) return {::getpid()};
  auto attempt = InstanceLock::acquire(runtimeDirectory() / (bundleIdentifier + ".lock"));
  switch (attempt.result) {
    case InstanceLock::Attempt::Result::taken:
      // Taking the lock makes this process the running instance; for another
      // identifier it only shows that none runs, and is let go again.
      if (!ours) return {};
      lock_ = std::move(attempt.lock);
      return {::getpid()};
    case InstanceLock::Attempt::Result::heldElsewhere:
      return {attempt.holder};
    case InstanceLock::Attempt::Result::failed:
      break;
  }
  // Refusing to start over a lock that cannot be made would leave the person with
  // no front end at all; running without the guard is the lesser harm.
  writeLogLine("Quorvane: the single-instance lock could not be taken: " + attempt.error);
  return ours ? std::vector<int>{::getpid()} : std::vector<int>{};
}

LoginItemStatus LinuxSystem::loginItemStatus() const {
  return autostart::status(autostartEntry());
}

std::optional<std::string> LinuxSystem::registerLoginItem() {
  return autostart::install(autostartEntry(), launcherOf(bundleDirectory()));
}

std::optional<std::string> LinuxSystem::unregisterLoginItem() {
  return autostart::uninstall(autostartEntry());
}

std::optional<std::string> LinuxSystem::localizedHostName() const {
  return hostName("/etc/machine-info");
}

std::vector<std::string> LinuxSystem::arguments() const {
  return arguments_;
}

int LinuxSystem::processIdentifier() const {
  return ::getpid();
}

void LinuxSystem::log(std::string_view line) {
  writeLogLine(line);
}

std::filesystem::path LinuxSystem::runtimeDirectory() const {
  auto environment = xdg::processEnvironment();
  if (auto folder = xdg::runtimeHome(environment)) return *folder;
  std::filesystem::path shared = "/tmp/quorvane-" + std::to_string(::getuid());
  auto refused = xdg::ensurePrivateFolder(shared);
  if (!refused) return shared;
  // Someone else's folder in /tmp must not hold our lock or socket.
  std::filesystem::path own = xdg::dataHome(environment) / "Quorvane" / "run";
  writeLogLine("Quorvane: " + *refused + "; using " + own.string() + " for runtime files");
  files::createDirectories(own, 0700);
  return own;
}

}  // namespace quorvane
