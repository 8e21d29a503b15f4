#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/posix/file_descriptor.h"

namespace quorvane::files {

// The engine's client configuration and status file are a few hundred bytes, and
// the status file is read on the main thread every two seconds: anything much
// larger is not the engine's and is refused rather than parsed.
inline constexpr std::uintmax_t kSmallFileLimit = 1u << 20;

// The whole file, or none when it is missing, unreadable, not a regular file, or
// larger than `limit` bytes.
std::optional<std::string> readWhole(const std::filesystem::path& path,
                                     std::uintmax_t limit = kSmallFileLimit);

bool exists(const std::filesystem::path& path);  // any kind of file-system object
bool isSymlink(const std::filesystem::path& path);

// Creates the folder and any missing parents with `mode`; an existing folder is
// left as it is. Returns the error's description on failure.
std::optional<std::string> createDirectories(const std::filesystem::path& path, mode_t mode);

// Size in bytes, or none when it cannot be read.
std::optional<std::uintmax_t> size(const std::filesystem::path& path);

bool remove(const std::filesystem::path& path);

// Creates an empty file with exactly `mode` unless something (even a dangling link)
// is already at `path`, which is left as it is. Returns the error's description
// when it could do neither.
std::optional<std::string> createEmpty(const std::filesystem::path& path, mode_t mode);

struct OpenResult {
  FileDescriptor fd;
  std::string error;  // set when fd is not valid
};
// Opens an existing file for writing at its end (O_APPEND, close-on-exec); a
// symbolic link in its place is refused, not followed.
OpenResult openForAppending(const std::filesystem::path& path);

}  // namespace quorvane::files
