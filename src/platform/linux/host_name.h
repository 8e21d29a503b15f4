#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// The value of PRETTY_HOSTNAME in the text of a machine-info file: one
// shell-style assignment a line, its value unquoted as the shell would. None when
// the key is missing or its value is empty or badly quoted.
std::optional<std::string> prettyHostName(std::string_view machineInfo);

// The pretty host name from `machineInfo`, else gethostname(); none when both are
// empty.
std::optional<std::string> hostName(const std::filesystem::path& machineInfo);

}  // namespace quorvane
