#include "platform/linux/xdg_locations.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/posix/error_text.h"

namespace quorvane::xdg {
namespace {

std::optional<std::filesystem::path> absoluteVariable(const Environment& environment,
                                                      const std::string& name) {
  auto value = environment(name);
  if (!value || value->empty() || (*value)[0] != '/') return std::nullopt;  // relative: invalid
  return std::filesystem::path(*value);
}

std::filesystem::path passwordDatabaseHome() {
  std::vector<char> buffer(16384);
  passwd entry = {};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  return "/";
}

}  // namespace

Environment processEnvironment() {
  return [](const std::string& name) -> std::optional<std::string> {
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return std::string(value);
  };
}

// The fallbacks are asked for only when needed: the refresh tick computes these
// folders every two seconds, and the password database is a file to parse.
std::filesystem::path home(const Environment& environment) {
  if (auto home = absoluteVariable(environment, "HOME")) return *home;
  return passwordDatabaseHome();
}

std::filesystem::path dataHome(const Environment& environment) {
  if (auto data = absoluteVariable(environment, "XDG_DATA_HOME")) return *data;
  return home(environment) / ".local" / "share";
}

std::filesystem::path configHome(const Environment& environment) {
  if (auto config = absoluteVariable(environment, "XDG_CONFIG_HOME")) return *config;
  return home(environment) / ".config";
}

std::optional<std::filesystem::path> runtimeHome(const Environment& environment) {
  auto folder = absoluteVariable(environment, "XDG_RUNTIME_DIR");
  struct stat info = {};
  if (!folder || ::stat(folder->c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    return std::nullopt;
  }
  return folder;
}

std::optional<std::string> ensurePrivateFolder(const std::filesystem::path& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return describeError(errno, folder);
  struct stat info = {};
  if (::lstat(folder.c_str(), &info) != 0) return describeError(errno, folder);
  if (S_ISLNK(info.st_mode)) return folder.string() + " is a symbolic link, not a folder";
  if (!S_ISDIR(info.st_mode)) return describeError(ENOTDIR, folder);
  if (info.st_uid != ::geteuid()) return folder.string() + " belongs to another user";
  if ((info.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
    return describeError(errno, folder);
  }
  return std::nullopt;
}

}  // namespace quorvane::xdg
