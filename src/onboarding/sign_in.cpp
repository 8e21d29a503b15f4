#include "app/home_server.h"
#include "common/machine_word.h"
#include "onboarding/credentials.h"
#include "onboarding/folder_choice.h"
#include "onboarding/onboarding_flows.h"
#include "platform/posix/files.h"

namespace quorvane {

void signIn(FlowContext& flow, std::optional<std::filesystem::path> file) {
  if (flow.dialogs.shown() || flow.locations.folder() || flow.commands.busy()) return;
  flow.dialogs.activate();

  const std::filesystem::path own =
      flow.locations.resources() / (std::string(kHomeServerName) + ".quorvane-server");
  if (!file && files::exists(own)) file = own;
  if (!file) {
    OpenPanel panel;
    panel.title = "Choose the server connection file";
    panel.message =
        "Your administrator supplies this file. It identifies your local server and contains no "
        "account password.";
    file = choose(flow.dialogs, panel);
    if (!file) return;
  }

  std::optional<Credentials> credentials = askCredentials(
      flow.dialogs, "Sign in to Quorvane", "Use the account your administrator created for you.");
  if (!credentials) return;
  std::optional<std::filesystem::path> chosen = chooseFolder(flow);
  if (!chosen) return;

  flow.commands.run({"login", "--profile", file->string(), "--folder", chosen->string(), "--config",
                     flow.locations.config().string()},
                    credentialsRequest(*credentials, flow.system.localizedHostName()),
                    [&flow](std::int32_t status, const std::string& text) {
                      if (status != 0) return flow.dialogs.alert("Could not sign in", text);
                      flow.watch.start();
                      flow.dialogs.alert("Signed in", std::string("This ") + kMachine.singular +
                                                          " will now synchronise your private "
                                                          "files.");
                    });
}

}  // namespace quorvane
