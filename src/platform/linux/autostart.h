#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/system.h"

// The login item as an XDG autostart entry: a .desktop file in
// $XDG_CONFIG_HOME/autostart that the session starts at login.
namespace quorvane::autostart {

// Enabled when the entry exists, is neither Hidden=true nor switched off with
// X-GNOME-Autostart-enabled=false (as desktop settings do), and its Exec names a
// program that can be started (an executable file, or a bare name found in
// $PATH), as GLib-based sessions read it. Anything else, such as an entry left
// pointing at a moved or deleted front end, is not registered, so registering
// again repairs it.
LoginItemStatus status(const std::filesystem::path& entry);

// Each returns the error's description on failure. Writing replaces the entry
// atomically; removing an absent entry succeeds.
std::optional<std::string> install(const std::filesystem::path& entry,
                                   const std::filesystem::path& program);
std::optional<std::string> uninstall(const std::filesystem::path& entry);

}  // namespace quorvane::autostart
