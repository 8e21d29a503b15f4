#include "app/app_delegate.h"
#include "app/home_server.h"
#include "common/machine_word.h"

namespace quorvane {

void AppDelegate::setupInvitation(std::optional<std::filesystem::path> file) {
  if (busy_) return;
  if (folder()) {
    alert("Already paired", std::string("This ") + kMachine.singular +
                                " is already keeping its shared folder in sync.");
    return;
  }
  platform_.ui.activate();

  if (!file) {
    OpenPanel panel;
    panel.title = std::string("Choose this ") + kMachine.singular + "’s pairing invitation";
    panel.message = std::string("Use the invitation created specifically for this ") +
                    kMachine.singular + ". It contains private access credentials.";
    panel.canChooseDirectories = false;
    panel.allowsMultipleSelection = false;
    file = choose(panel);
    if (!file) return;
  }
  std::optional<std::filesystem::path> chosen = chooseFolder(
      "Choose the folder to keep in sync",
      "Choose a dedicated folder. Existing files will be uploaded; conflicting files will be "
      "kept as separate copies.");
  if (!chosen) return;

  run({"pair", "--invitation", file->string(), "--folder", chosen->string(), "--config",
       config().string()},
      std::nullopt, [this](std::int32_t status, const std::string& text) {
        if (status != 0) {
          alert(std::string("Could not pair this ") + kMachine.singular, text);
          return;
        }
        start();
        alert("Ready to sync", std::string("This folder will synchronise whenever ") +
                                   kHomeServerName +
                                   " is reachable on your local network. You can enable Start "
                                   "at Login in the menu.");
      });
}

}  // namespace quorvane
