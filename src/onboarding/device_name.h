#pragma once

#include <optional>
#include <string>

namespace quorvane {

// The name this computer is announced under to the engine: the ASCII letters and
// digits of the host's name (a letter with a combining mark is one character and
// is dropped), at most 24 of them, else the machine's word ("Computer").
std::string deviceName(const std::optional<std::string>& hostName);

}  // namespace quorvane
