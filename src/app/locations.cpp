#include "app/app_delegate.h"
#include "app/client_config.h"
#include "common/path_join.h"
#include "platform/posix/files.h"

namespace quorvane {

std::filesystem::path AppDelegate::support() const {
  return joinPath(platform_.system.applicationSupportDirectory(), "Quorvane");
}

std::filesystem::path AppDelegate::config() const {
  return joinPath(support(), "client.json");
}

std::filesystem::path AppDelegate::engine() const {
  return platform_.system.bundleDirectory() / "Contents" / "MacOS" / "quorvane";
}

// Read afresh every time: the engine rewrites the configuration when it signs in.
std::optional<std::filesystem::path> AppDelegate::folder() const {
  std::optional<std::string> content = files::readWhole(config());
  if (!content) return std::nullopt;
  return configFolder_.of(std::move(*content), folderInConfig);
}

std::filesystem::path AppDelegate::syncLog() const {
  return joinPath(support(), "sync.log");
}

}  // namespace quorvane
