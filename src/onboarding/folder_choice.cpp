#include "onboarding/folder_choice.h"

#include "onboarding/onboarding_flows.h"

namespace quorvane {

std::optional<std::filesystem::path> choose(Dialogs& dialogs, const OpenPanel& panel) {
  PanelResult result = dialogs.run(panel);
  if (result.response != kModalResponseOK) return std::nullopt;
  return result.url;
}

std::optional<std::filesystem::path> chooseFolder(FlowContext& flow) {
  return chooseFolder(
      flow, "Choose your private sync folder",
      "Choose a dedicated folder for this account. Each account has separate files.");
}

// Whatever folder the panel accepts is taken as it is; the engine judges it.
std::optional<std::filesystem::path> chooseFolder(FlowContext& flow, std::string title,
                                                  std::string message) {
  OpenPanel panel;
  panel.title = std::move(title);
  panel.message = std::move(message);
  panel.canChooseFiles = false;
  panel.canChooseDirectories = true;
  panel.canCreateDirectories = true;
  panel.allowsMultipleSelection = false;
  panel.directory = flow.locations.home();
  return choose(flow.dialogs, panel);
}

}  // namespace quorvane
