#include "account/account_details.h"
#include "app/app_delegate.h"
#include "common/machine_word.h"

namespace quorvane {

void AppDelegate::createUser() {
  // Fetched afresh and not kept: the menu's copy may be stale, and only the
  // engine's answer of now decides.
  query("account-info", [this](std::int32_t status, const std::string& text) {
    const std::optional<Json> details = accountDetails(status, text);
    if (!details) return endExclusiveFlow("Could not load account", text);
    if (!isAdministrator(*details)) {
      return endExclusiveFlow("Administrator access needed",
                              "Ask your administrator to create the account.");
    }

    busy_ = true;
    std::optional<AccountRequest> request = accountForm(
        "Create a private user account",
        std::string("This person gets an empty, private sync space. They can use the same "
                    "account on their own ") +
            kMachine.plural + ". Share their initial password privately.",
        "", AskCurrentPassword::no, AskDisplayName::yes);
    if (!request) return endExclusiveFlow();
    run({"account-create", "--config", config().string()}, accountRequestJson(*request),
        [this](std::int32_t status, const std::string& text) {
          if (status != 0) return endExclusiveFlow("Could not create account", text);
          endExclusiveFlow("Account created",
                           std::string("Give the user their username and initial password "
                                       "privately. Install this app on their ") +
                               kMachine.singular +
                               " and choose Sign In. They can change their password in Account.");
        });
  });
}

}  // namespace quorvane
