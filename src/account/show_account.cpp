#include "account/account_details.h"
#include "app/app_delegate.h"

namespace quorvane {

void AppDelegate::showAccount() {
  query("account-info", [this](std::int32_t status, const std::string& text) {
    std::optional<Json> details = accountDetails(status, text);
    if (!details) return endExclusiveFlow("Could not load account", text);
    const AccountView view = accountView(*details);
    account_ = std::move(details);

    // The watch stays stopped while the person reads and types.
    busy_ = true;
    platform_.ui.activate();
    const AlertResult answer =
        platform_.ui.runAlert(Alert{view.title, view.text, {view.firstButton, "Done"}, {}});
    if (answer.response != kAlertFirstButtonReturn) return endExclusiveFlow();

    std::optional<AccountRequest> request =
        accountForm(view.formTitle, view.formExplanation, view.formUsername,
                    view.askCurrentPassword, AskDisplayName::no);
    if (!request) return endExclusiveFlow();
    run({"account-password", "--config", config().string()}, accountRequestJson(*request),
        [this](std::int32_t status, const std::string& text) {
          if (status == 0)
            return endExclusiveFlow("Account updated", "Your sign-in details are ready.");
          endExclusiveFlow("Could not update account", text);
        });
  });
}

}  // namespace quorvane
