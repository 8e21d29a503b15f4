#include "app/home_server.h"
#include "common/machine_word.h"
#include "onboarding/folder_choice.h"
#include "onboarding/onboarding_flows.h"

namespace quorvane {

void setupInvitation(FlowContext& flow, std::optional<std::filesystem::path> file) {
  if (flow.dialogs.shown() || flow.commands.busy()) return;
  if (flow.locations.folder()) {
    return flow.dialogs.alert("Already paired",
                              std::string("This ") + kMachine.singular +
                                  " is already keeping its shared folder in sync.");
  }
  flow.dialogs.activate();

  if (!file) {
    OpenPanel panel;
    panel.title = std::string("Choose this ") + kMachine.singular + "’s pairing invitation";
    panel.message = std::string("Use the invitation created specifically for this ") +
                    kMachine.singular + ". It contains private access credentials.";
    panel.canChooseDirectories = false;
    panel.allowsMultipleSelection = false;
    file = choose(flow.dialogs, panel);
    if (!file) return;
  }
  std::optional<std::filesystem::path> chosen = chooseFolder(
      flow, "Choose the folder to keep in sync",
      "Choose a dedicated folder. Existing files will be uploaded; conflicting files will be "
      "kept as separate copies.");
  if (!chosen) return;

  flow.commands.run(
      {"pair", "--invitation", file->string(), "--folder", chosen->string(), "--config",
       flow.locations.config().string()},
      std::nullopt, [&flow](std::int32_t status, const std::string& text) {
        if (status != 0) {
          return flow.dialogs.alert(std::string("Could not pair this ") + kMachine.singular, text);
        }
        flow.watch.start();
        flow.dialogs.alert("Ready to sync", std::string("This folder will synchronise whenever ") +
                                                kHomeServerName +
                                                " is reachable on your local network. You can "
                                                "enable Start at Login in the menu.");
      });
}

}  // namespace quorvane
