#include "app/client_config.h"

#include <string>

namespace quorvane {

std::optional<std::filesystem::path> folderInConfig(std::string_view content) {
  std::optional<Json> config = parseTopLevelScalars(content);
  if (!config) return std::nullopt;
  const Json* folder = member(*config, "folder");
  if (!folder || !folder->is_string()) return std::nullopt;
  const auto& path = folder->get_ref<const std::string&>();
  // An empty path would make every folder operation act on the working directory,
  // and the system would silently cut a path at an embedded NUL.
  if (path.empty() || path.find('\0') != std::string::npos) return std::nullopt;
  return std::filesystem::path(path);
}

std::optional<Json> accountInConfig(std::string_view content) {
  std::optional<Json> config = parseJson(content);
  if (!config) return std::nullopt;
  const Json* invitation = member(*config, "invitation");
  if (!invitation) return std::nullopt;
  const Json* account = member(*invitation, "account");
  if (!account || !account->is_object()) return std::nullopt;
  return *account;
}

}  // namespace quorvane
