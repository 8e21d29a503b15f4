#include "account/account_details.h"
#include "account/account_flows.h"
#include "account/account_form.h"
#include "common/machine_word.h"

namespace quorvane {

void createUser(FlowContext& flow) {
  // Fetched afresh and not kept: the menu's copy may be stale, and only the
  // engine's answer of now decides.
  query(flow, "account-info",
        [&flow](EngineSession& session, std::int32_t status, const std::string& text) {
          const std::optional<Json> details = accountDetails(status, text);
          if (!details) return flow.dialogs.alert("Could not load account", text);
          if (!isAdministrator(*details)) {
            return flow.dialogs.alert("Administrator access needed",
                                      "Ask your administrator to create the account.");
          }

          std::optional<AccountRequest> request = accountForm(
              flow.dialogs, "Create a private user account",
              std::string("This person gets an empty, private sync space. They can use the same "
                          "account on their own ") +
                  kMachine.plural + ". Share their initial password privately.",
              "", AskCurrentPassword::no, AskDisplayName::yes);
          if (!request) return;
          session.run({"account-create", "--config", flow.locations.config().string()},
                      accountRequestJson(*request),
                      [&flow](EngineSession&, std::int32_t status, const std::string& text) {
                        if (status != 0)
                          return flow.dialogs.alert("Could not create account", text);
                        flow.dialogs.alert(
                            "Account created",
                            std::string("Give the user their username and initial password "
                                        "privately. Install this app on their ") +
                                kMachine.singular +
                                " and choose Sign In. They can change their password in Account.");
                      });
        });
}

}  // namespace quorvane
