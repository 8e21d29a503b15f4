#pragma once

#include <filesystem>

namespace quorvane {

// The bundle holding `executable` when it lies in <bundle>/Contents/MacOS; else the
// executable's own folder.
std::filesystem::path bundleFromExecutable(const std::filesystem::path& executable);

// The running executable with every symbolic link resolved; empty when unknown.
std::filesystem::path runningExecutable();

}  // namespace quorvane
