#pragma once

#include <cstdint>
#include <filesystem>

#include "platform/posix/files.h"

namespace quorvane {

// A log above this size is started afresh when the next watch process launches.
inline constexpr std::uintmax_t kSyncLogLimit = 2'000'000;

// Gets the sync log ready for the next watch process: creates `support` (0700,
// with parents) and the log (0600) when missing, empties a log larger than
// kSyncLogLimit, and opens it for appending. On failure the result holds the
// error's description.
files::OpenResult openSyncLog(const std::filesystem::path& support,
                              const std::filesystem::path& log);

}  // namespace quorvane
