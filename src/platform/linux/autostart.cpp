#include "platform/linux/autostart.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <sstream>

#include "platform/linux/desktop_exec.h"
#include "platform/posix/error_text.h"
#include "platform/posix/file_descriptor.h"
#include "platform/posix/files.h"

namespace quorvane::autostart {
namespace {

std::string trimmed(const std::string& text) {
  auto begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return "";
  auto end = text.find_last_not_of(" \t\r");
  return text.substr(begin, end - begin + 1);
}

// The keys of the [Desktop Entry] group; other groups (actions) do not count.
std::map<std::string, std::string> mainGroup(const std::string& content) {
  std::map<std::string, std::string> keys;
  std::istringstream lines(content);
  bool inEntry = false;
  for (std::string line; std::getline(lines, line);) {
    line = trimmed(line);
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      inEntry = line == "[Desktop Entry]";
      continue;
    }
    auto equals = line.find('=');
    if (!inEntry || equals == std::string::npos) continue;
    keys.emplace(trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1)));
  }
  return keys;
}

bool isExecutableFile(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

// As the session would start it: a path as it is, a bare name from $PATH.
bool startable(const std::string& program) {
  if (program.empty()) return false;
  if (program.find('/') != std::string::npos) return isExecutableFile(program);
  const char* path = std::getenv("PATH");
  std::istringstream folders(path ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');) {
    if (!folder.empty() && isExecutableFile(std::filesystem::path(folder) / program)) return true;
  }
  return false;
}

}  // namespace

LoginItemStatus status(const std::filesystem::path& entry) {
  auto content = files::readWhole(entry);
  if (!content) return LoginItemStatus::notRegistered;
  const auto keys = mainGroup(*content);
  auto value = [&keys](const std::string& key) {
    auto found = keys.find(key);
    return found == keys.end() ? std::string() : found->second;
  };
  if (value("Hidden") == "true" || value("X-GNOME-Autostart-enabled") == "false") {
    return LoginItemStatus::notRegistered;
  }
  auto program = desktop_exec::program(value("Exec"));
  return program && startable(*program) ? LoginItemStatus::enabled : LoginItemStatus::notRegistered;
}

std::string entryText(const std::filesystem::path& program) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Quorvane\n"
         "Exec=" +
         desktop_exec::argument(program.string()) +
         "\n"
         "X-GNOME-Autostart-enabled=true\n"
         "NoDisplay=true\n";
}

std::optional<std::string> install(const std::filesystem::path& entry,
                                   const std::filesystem::path& program) {
  if (auto error = files::createDirectories(entry.parent_path(), 0700)) return error;
  std::filesystem::path temporary = entry;
  temporary += ".tmp-" + std::to_string(::getpid());
  FileDescriptor fd(
      ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644));
  if (!fd) return describeError(errno, temporary);

  std::string text = entryText(program);
  std::string_view left = text;
  int error = 0;
  while (!left.empty() && error == 0) {
    ssize_t written = ::write(fd.get(), left.data(), left.size());
    if (written < 0 && errno != EINTR) error = errno;
    if (written > 0) left.remove_prefix(static_cast<std::size_t>(written));
  }
  if (error == 0 && ::fsync(fd.get()) != 0) error = errno;
  if (int closeError = fd.reset(); error == 0) error = closeError;
  if (error == 0 && ::rename(temporary.c_str(), entry.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return describeError(error, entry);
  }
  return std::nullopt;
}

std::optional<std::string> uninstall(const std::filesystem::path& entry) {
  if (::unlink(entry.c_str()) != 0 && errno != ENOENT) return describeError(errno, entry);
  return std::nullopt;
}

}  // namespace quorvane::autostart
