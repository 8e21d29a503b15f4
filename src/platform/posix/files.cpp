#include "platform/posix/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/posix/error_text.h"

namespace quorvane::files {

std::optional<std::string> readWhole(const std::filesystem::path& path, std::uintmax_t limit) {
  // O_NONBLOCK so that a FIFO in the file's place cannot block the open.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd) return std::nullopt;
  struct stat info = {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  if (static_cast<std::uintmax_t>(info.st_size) > limit) return std::nullopt;

  std::string content;
  content.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) return content;
    content.append(buffer, static_cast<std::size_t>(got));
    if (content.size() > limit) return std::nullopt;  // it grew while being read
    // A short read of a regular file is its end; no need to ask again.
    if (static_cast<std::size_t>(got) < sizeof buffer) return content;
  }
}

bool exists(const std::filesystem::path& path) {
  struct stat info = {};
  return ::stat(path.c_str(), &info) == 0;
}

bool isSymlink(const std::filesystem::path& path) {
  struct stat info = {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

std::optional<std::string> createDirectories(const std::filesystem::path& path, mode_t mode) {
  std::filesystem::path partial;
  for (const auto& component : path) {
    partial /= component;
    if (component == partial.root_path() || component.empty() || component == ".") continue;
    if (::mkdir(partial.c_str(), mode) == 0) {
      // mkdir applies the umask; only folders made here get the exact mode.
      if (::chmod(partial.c_str(), mode) != 0) return describeError(errno, partial);
      continue;
    }
    int error = errno;
    struct stat info = {};
    if (error == EEXIST && ::stat(partial.c_str(), &info) == 0) {
      if (S_ISDIR(info.st_mode)) continue;
      error = ENOTDIR;
    }
    return describeError(error, partial);
  }
  return std::nullopt;
}

std::optional<std::uintmax_t> size(const std::filesystem::path& path) {
  struct stat info = {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return static_cast<std::uintmax_t>(info.st_size);
}

bool remove(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::remove_all(path, error) > 0 && !error;
}

std::optional<std::string> createEmpty(const std::filesystem::path& path, mode_t mode) {
  FileDescriptor fd(
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
  if (!fd) {
    if (errno == EEXIST) return std::nullopt;
    return describeError(errno, path);
  }
  // Exact mode, whatever the umask.
  if (::fchmod(fd.get(), mode) != 0) return describeError(errno, path);
  return std::nullopt;
}

OpenResult openForAppending(const std::filesystem::path& path) {
  // O_NONBLOCK keeps a FIFO without a reader from blocking the open; it is cleared
  // again because the descriptor is handed to a child as its output.
  FileDescriptor fd(
      ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW));
  if (!fd) return {FileDescriptor(), describeError(errno, path)};
  int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
    return {FileDescriptor(), describeError(errno, path)};
  }
  return {std::move(fd), {}};
}

}  // namespace quorvane::files
