#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "account/account_request.h"
#include "app/dialogs.h"
#include "platform/dialogs.h"

namespace quorvane {

// A validation message shown instead of using what was typed.
struct Refusal {
  std::string title;
  std::string text;
  bool operator==(const Refusal&) const = default;
};

// Why a new password and its confirmation cannot be used, or none when they can.
// They must match (canonically: composed and decomposed accents are the same
// letter) before their length counts, and the length is in UTF-8 bytes, at least 12.
std::optional<Refusal> passwordRefusal(std::string_view password, std::string_view confirmation);

// The account form as a dialog: rows for username, display name, current password,
// password and its confirmation, the optional two shown only when asked for. Each
// row is a band of 58 points in a 420-point-wide accessory, its field at the
// bottom of the band and its label 3 points above.
class AccountForm {
 public:
  AccountForm(const std::string& title, const std::string& explanation, const std::string& username,
              AskCurrentPassword askCurrentPassword, AskDisplayName askDisplayName);

  const Alert& alert() const { return alert_; }

  struct Answer {
    AccountRequest request;
    std::string confirmation;
  };
  // The fields' texts as the person left them; a row not shown keeps its empty text.
  Answer read(const AlertResult& result) const;

 private:
  enum Row { username, displayName, currentPassword, password, confirmation, rowCount };

  std::string text(const AlertResult& result, Row row) const;

  Alert alert_;
  std::array<std::string, rowCount> initial_;
  std::array<std::optional<std::size_t>, rowCount> field_;  // index in the accessory
};

// accountForm(title:explanation:username:currentPassword:displayName:): the form,
// then its validation; the account request, or none when the person cancelled or
// the validation refused what was typed (after saying why).
std::optional<AccountRequest> accountForm(Dialogs& dialogs, const std::string& title,
                                          const std::string& explanation,
                                          const std::string& username,
                                          AskCurrentPassword askCurrentPassword,
                                          AskDisplayName askDisplayName);

}  // namespace quorvane
