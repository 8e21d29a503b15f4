#pragma once

#include <string>

namespace quorvane {

// Which optional rows the account form shows, so that a call reads as what it asks.
enum class AskCurrentPassword { no, yes };
enum class AskDisplayName { no, yes };

// What the account form hands back: the sign-in details the engine's account
// commands read on standard input. Every member is the field's text as typed; a
// row that was not shown gives the empty string.
struct AccountRequest {
  std::string username;
  std::string displayName;
  std::string currentPassword;
  std::string password;
  bool operator==(const AccountRequest&) const = default;
};

// The compact JSON object for the engine, always with its four members
// "username", "display_name", "current_password" and "password".
std::string accountRequestJson(const AccountRequest& request);

}  // namespace quorvane
