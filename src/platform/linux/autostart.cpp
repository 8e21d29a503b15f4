#include "platform/linux/autostart.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>

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

bool switchedOff(const std::string& content) {
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
    std::string key = trimmed(line.substr(0, equals));
    std::string value = trimmed(line.substr(equals + 1));
    if (key == "Hidden" && value == "true") return true;
    if (key == "X-GNOME-Autostart-enabled" && value == "false") return true;
  }
  return false;
}

// Characters that make an Exec argument need quotes.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

}  // namespace

LoginItemStatus status(const std::filesystem::path& entry) {
  if (!files::exists(entry)) return LoginItemStatus::notRegistered;
  auto content = files::readWhole(entry, 1 << 20);
  if (content && switchedOff(*content)) return LoginItemStatus::notRegistered;
  return LoginItemStatus::enabled;
}

std::string execArgument(const std::string& argument) {
  std::string quoted;
  bool needsQuotes = argument.empty() || argument.find_first_of(kReserved) != std::string::npos;
  if (needsQuotes) quoted += '"';
  for (char c : argument) {
    if (c == '%') {
      quoted += "%%";
      continue;
    }
    if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) quoted += '\\';
    quoted += c;
  }
  if (needsQuotes) quoted += '"';
  // The Exec value is also a string value, whose own escapes are undone first.
  std::string escaped;
  for (char c : quoted) {
    switch (c) {
      case '\\':
        escaped += "\\\\";
        break;
      case '\n':
        escaped += "\\n";
        break;
      case '\t':
        escaped += "\\t";
        break;
      case '\r':
        escaped += "\\r";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string entryText(const std::filesystem::path& program) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Quorvane\n"
         "Exec=" +
         execArgument(program.string()) +
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
