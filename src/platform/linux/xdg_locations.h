#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// The per-user folders of the XDG base directory rules. Each takes the environment
// as a lookup so that its fallbacks can be tested.
namespace quorvane::xdg {

// One environment variable's value; none when unset.
using Environment = std::function<std::optional<std::string>(const std::string& name)>;
Environment processEnvironment();

// $HOME when absolute, else this user's home in the password database.
std::filesystem::path home(const Environment& environment);
// $XDG_DATA_HOME when absolute, else ~/.local/share.
std::filesystem::path dataHome(const Environment& environment);
// $XDG_CONFIG_HOME when absolute, else ~/.config.
std::filesystem::path configHome(const Environment& environment);
// $XDG_RUNTIME_DIR when absolute and a folder; none otherwise.
std::optional<std::filesystem::path> runtimeHome(const Environment& environment);

// Makes `folder` a private folder of this user, for use in a shared place like /tmp:
// creates it (0700) when missing, refuses a symbolic link, a non-folder or another
// user's folder, and removes group and other access. Returns why it was refused.
std::optional<std::string> ensurePrivateFolder(const std::filesystem::path& folder);

}  // namespace quorvane::xdg
