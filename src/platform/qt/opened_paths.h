#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quorvane {

// The files named on a command line (program name first): every argument but
// options ("-x", "--enable-login"; all after "--" are files), made absolute
// against the current folder, since another process may receive them.
std::vector<std::filesystem::path> openedPaths(const std::vector<std::string>& arguments);

}  // namespace quorvane
