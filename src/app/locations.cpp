#include "app/locations.h"

#include "app/client_config.h"
#include "common/path_join.h"
#include "platform/posix/files.h"

namespace quorvane {

std::filesystem::path Locations::support() const {
  return joinPath(system_.applicationSupportDirectory(), "Quorvane");
}

std::filesystem::path Locations::config() const {
  return joinPath(support(), "client.json");
}

std::filesystem::path Locations::syncLog() const {
  return joinPath(support(), "sync.log");
}

std::filesystem::path Locations::engine() const {
  return system_.bundleDirectory() / "Contents" / "MacOS" / "quorvane";
}

std::filesystem::path Locations::resources() const {
  return system_.bundleDirectory() / "Contents" / "Resources";
}

std::optional<std::filesystem::path> Locations::folder() const {
  std::optional<std::string> content = files::readWhole(config());
  if (!content) return std::nullopt;
  return configFolder_.of(std::move(*content), folderInConfig);
}

}  // namespace quorvane
