#include "platform/linux/host_name.h"

#include <limits.h>
#include <unistd.h>

#include <sstream>

#include "platform/linux/glib_handles.h"
#include "platform/posix/files.h"

namespace quorvane {
namespace {

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r";
  const auto begin = text.find_first_not_of(kBlanks);
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(kBlanks) - begin + 1);
}

}  // namespace

std::optional<std::string> prettyHostName(std::string_view machineInfo) {
  std::optional<std::string> found;
  std::istringstream lines{std::string(machineInfo)};
  for (std::string line; std::getline(lines, line);) {
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    if (trimmed(std::string_view(line).substr(0, equals)) != "PRETTY_HOSTNAME") continue;
    // The value as the shell reads it; the last assignment wins.
    const std::string quoted(trimmed(std::string_view(line).substr(equals + 1)));
    const glib::String value(g_shell_unquote(quoted.c_str(), nullptr));
    found = value ? std::optional<std::string>(value.get()) : std::nullopt;
  }
  if (!found || found->empty()) return std::nullopt;
  return found;
}

std::optional<std::string> hostName(const std::filesystem::path& machineInfo) {
  if (auto content = files::readWhole(machineInfo, 1 << 16)) {
    if (auto pretty = prettyHostName(*content)) return pretty;
  }
  char name[HOST_NAME_MAX + 1] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return std::nullopt;
  return std::string(name);
}

}  // namespace quorvane
