#include "app/app_delegate.h"
#include "app/home_server.h"
#include "common/machine_word.h"
#include "platform/posix/files.h"

namespace quorvane {

void AppDelegate::signIn(std::optional<std::filesystem::path> file) {
  if (folder() || busy_) return;
  platform_.ui.activate();

  const std::filesystem::path own = platform_.system.bundleDirectory() / "Contents" / "Resources" /
                                    (std::string(kHomeServerName) + ".quorvane-server");
  if (!file && files::exists(own)) file = own;
  if (!file) {
    OpenPanel panel;
    panel.title = "Choose the server connection file";
    panel.message =
        "Your administrator supplies this file. It identifies your local server and contains no "
        "account password.";
    file = choose(panel);
    if (!file) return;
  }

  std::optional<Credentials> credentials =
      askCredentials("Sign in to Quorvane", "Use the account your administrator created for you.");
  if (!credentials) return;
  std::optional<std::filesystem::path> chosen = chooseFolder();
  if (!chosen) return;

  run({"login", "--profile", file->string(), "--folder", chosen->string(), "--config",
       config().string()},
      credentialsRequest(*credentials), [this](std::int32_t status, const std::string& text) {
        if (status != 0) {
          alert("Could not sign in", text);
          return;
        }
        start();
        alert("Signed in", std::string("This ") + kMachine.singular +
                               " will now synchronise your private files.");
      });
}

}  // namespace quorvane
