#include "common/machine_word.h"
#include "onboarding/credentials.h"
#include "onboarding/onboarding_flows.h"

namespace quorvane {

// The session holds the watch stopped and the engine busy from the question until
// the result has been read, then starts the watch again, whatever the answer.
void signInAgain(FlowContext& flow) {
  const std::shared_ptr<EngineSession> session = flow.commands.exclusiveSession();
  if (!session) return;
  flow.dialogs.activate();
  std::optional<Credentials> credentials = askCredentials(
      flow.dialogs, "Sign in again",
      "Use the account that owns this folder. Your files and sync history will be kept.");
  if (!credentials) return;
  session->run({"relogin", "--config", flow.locations.config().string()},
               credentialsRequest(*credentials, flow.system.localizedHostName()),
               [&flow](EngineSession&, std::int32_t status, const std::string& text) {
                 if (status != 0) return flow.dialogs.alert("Could not sign in", text);
                 flow.dialogs.alert("Signed in", std::string("This ") + kMachine.singular +
                                                     " will resume synchronising the same "
                                                     "account and folder.");
               });
}

}  // namespace quorvane
