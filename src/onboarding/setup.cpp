#include "app/app_delegate.h"
#include "common/machine_word.h"

namespace quorvane {

void AppDelegate::setup(std::optional<std::filesystem::path> file) {
  if (file) {
    setupInvitation(std::move(file));
    return;
  }
  if (folder() || busy_) return;
  platform_.ui.activate();
  const AlertResult answer = platform_.ui.runAlert(
      Alert{std::string("Connect this ") + kMachine.singular,
            "Sign in to your private Quorvane account. Your files stay separate from other users.",
            {"Sign In", "Use Pairing Invitation", "Cancel"},
            std::nullopt});
  if (answer.response == kAlertFirstButtonReturn) {
    signIn(std::nullopt);
  } else if (answer.response == kAlertFirstButtonReturn + 1) {
    setupInvitation(std::nullopt);
  }
}

void AppDelegate::setupAction() {
  setup(std::nullopt);
}

void AppDelegate::applicationOpen(const std::vector<std::filesystem::path>& paths) {
  if (paths.empty()) return;
  fileOpenedSinceLaunch_ = true;
  // Only the first file counts; the letter case of the extension is significant.
  const std::filesystem::path& file = paths.front();
  if (file.extension() == ".quorvane-server") {
    signIn(file);
  } else {
    setupInvitation(file);
  }
}

}  // namespace quorvane
