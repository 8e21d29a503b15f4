#pragma once

#include <filesystem>

namespace quorvane {

// The front end's file name, in the bundle's Contents/MacOS and as the installed
// launcher in <prefix>/bin.
inline constexpr const char* kFrontEndName = "quorvane-menubar";

// The bundle holding `executable` when it lies in <bundle>/Contents/MacOS; else the
// executable's own folder.
std::filesystem::path bundleFromExecutable(const std::filesystem::path& executable);

// The running executable with every symbolic link resolved; empty when unknown.
std::filesystem::path runningExecutable();

// The bundle's front end, <bundle>/Contents/MacOS/quorvane-menubar.
std::filesystem::path frontEndOf(const std::filesystem::path& bundle);

// What starts the front end of `bundle` for the person: the installed launcher
// <prefix>/bin/quorvane-menubar when the bundle is installed as
// <prefix>/lib/quorvane/Quorvane.app and that launcher leads to this very front
// end (so the path survives an upgrade of the installation); otherwise, as when
// running from the build tree, the bundle's own front end.
std::filesystem::path launcherOf(const std::filesystem::path& bundle);

}  // namespace quorvane
