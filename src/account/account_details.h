#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "account/account_request.h"
#include "common/json_document.h"

namespace quorvane {

// The account details that account-info printed: the object, or none when the
// command failed or printed anything but a JSON object.
std::optional<Json> accountDetails(std::int32_t status, const std::string& text);

// Only the JSON boolean true makes an administrator.
bool isAdministrator(const Json& details);

// How "Account…" presents a set of details, and the form its first button opens.
// Whether the account has a password picks between setting up sign-in and
// changing the password.
struct AccountView {
  std::string title;
  std::string text;
  std::string firstButton;
  std::string formTitle;
  std::string formExplanation;
  std::string formUsername;
  AskCurrentPassword askCurrentPassword = AskCurrentPassword::no;
  bool operator==(const AccountView&) const = default;
};

AccountView accountView(const Json& details);

}  // namespace quorvane
