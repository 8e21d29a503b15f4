#include "common/machine_word.h"
#include "onboarding/onboarding_flows.h"

namespace quorvane {

void setup(FlowContext& flow, std::optional<std::filesystem::path> file) {
  if (file) return setupInvitation(flow, std::move(file));
  if (flow.dialogs.shown() || flow.locations.folder() || flow.commands.busy()) return;
  flow.dialogs.activate();
  const AlertResult answer = flow.dialogs.run(
      Alert{std::string("Connect this ") + kMachine.singular,
            "Sign in to your private Quorvane account. Your files stay separate from other users.",
            {"Sign In", "Use Pairing Invitation", "Cancel"},
            std::nullopt});
  if (answer.response == kAlertFirstButtonReturn) {
    signIn(flow, std::nullopt);
  } else if (answer.response == kAlertFirstButtonReturn + 1) {
    setupInvitation(flow, std::nullopt);
  }
}

void setupAction(FlowContext& flow) {
  setup(flow, std::nullopt);
}

// The letter case of the extension is significant.
void openFile(FlowContext& flow, const std::filesystem::path& file) {
  if (file.extension() == ".quorvane-server") {
    signIn(flow, file);
  } else {
    setupInvitation(flow, file);
  }
}

}  // namespace quorvane
