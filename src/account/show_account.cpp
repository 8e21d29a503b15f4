#include "account/account_details.h"
#include "account/account_flows.h"
#include "account/account_form.h"

namespace quorvane {

void showAccount(FlowContext& flow) {
  query(flow, "account-info",
        [&flow](EngineSession& session, std::int32_t status, const std::string& text) {
          std::optional<Json> details = accountDetails(status, text);
          if (!details) return flow.dialogs.alert("Could not load account", text);
          const AccountView view = accountView(*details);
          flow.account = std::move(details);

          flow.dialogs.activate();
          const AlertResult answer =
              flow.dialogs.run(Alert{view.title, view.text, {view.firstButton, "Done"}, {}});
          if (answer.response != kAlertFirstButtonReturn) return;

          std::optional<AccountRequest> request =
              accountForm(flow.dialogs, view.formTitle, view.formExplanation, view.formUsername,
                          view.askCurrentPassword, AskDisplayName::no);
          if (!request) return;
          session.run({"account-password", "--config", flow.locations.config().string()},
                      accountRequestJson(*request),
                      [&flow](EngineSession&, std::int32_t status, const std::string& text) {
                        if (status != 0)
                          return flow.dialogs.alert("Could not update account", text);
                        flow.dialogs.alert("Account updated", "Your sign-in details are ready.");
                      });
        });
}

}  // namespace quorvane
