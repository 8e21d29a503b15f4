#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace quorvane {

// How a failed system call on a file reads to a person:
// "<the system's text for errno `error`>: <path>".
inline std::string describeError(int error, const std::filesystem::path& path) {
  return std::generic_category().message(error) + ": " + path.string();
}

}  // namespace quorvane
