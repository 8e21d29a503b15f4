#include "app/app_delegate.h"
#include "common/machine_word.h"

namespace quorvane {

// The watch stays stopped and `busy` set from the question to the result, so nothing
// syncs or starts another command meanwhile; every path that stopped it ends with
// one start(), after the result alert.
void AppDelegate::signInAgain() {
  // The menu offers this only while no command runs; a second call would overlap.
  if (busy_) return;
  stop();
  busy_ = true;
  platform_.ui.activate();
  std::optional<Credentials> credentials = askCredentials(
      "Sign in again",
      "Use the account that owns this folder. Your files and sync history will be kept.");
  if (!credentials) {
    busy_ = false;
    start();
    return;
  }
  run({"relogin", "--config", config().string()}, credentialsRequest(*credentials),
      [this](std::int32_t status, const std::string& text) {
        if (status == 0) {
          alert("Signed in", std::string("This ") + kMachine.singular +
                                 " will resume synchronising the same account and folder.");
        } else {
          alert("Could not sign in", text);
        }
        start();
      });
}

}  // namespace quorvane
