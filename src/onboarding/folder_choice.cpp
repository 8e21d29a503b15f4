#include "app/app_delegate.h"

namespace quorvane {

std::optional<std::filesystem::path> AppDelegate::choose(const OpenPanel& panel) {
  PanelResult result = platform_.ui.runOpenPanel(panel);
  if (result.response != kModalResponseOK) return std::nullopt;
  return result.url;
}

std::optional<std::filesystem::path> AppDelegate::chooseFolder() {
  return chooseFolder(
      "Choose your private sync folder",
      "Choose a dedicated folder for this account. Each account has separate files.");
}

// Whatever folder the panel accepts is taken as it is; the engine judges it.
std::optional<std::filesystem::path> AppDelegate::chooseFolder(std::string title,
                                                               std::string message) {
  OpenPanel panel;
  panel.title = std::move(title);
  panel.message = std::move(message);
  panel.canChooseFiles = false;
  panel.canChooseDirectories = true;
  panel.canCreateDirectories = true;
  panel.allowsMultipleSelection = false;
  panel.directory = platform_.system.homeDirectory();
  return choose(panel);
}

}  // namespace quorvane
