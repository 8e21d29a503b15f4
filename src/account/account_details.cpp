#include "account/account_details.h"
#include "common/machine_word.h"

namespace quorvane {
namespace {

const std::string* stringMember(const Json& details, std::string_view key) {
  const Json* value = member(details, key);
  return value && value->is_string() ? value->get_ptr<const std::string*>() : nullptr;
}

bool trueMember(const Json& details, std::string_view key) {
  const Json* value = member(details, key);
  return value && value->is_boolean() && value->get<bool>();
}

}  // namespace

std::optional<Json> accountDetails(std::int32_t status, const std::string& text) {
  if (status != 0) return std::nullopt;
  std::optional<Json> details = parseJson(text);
  if (!details || !details->is_object()) return std::nullopt;
  return details;
}

bool isAdministrator(const Json& details) {
  return trueMember(details, "admin");
}

AccountView accountView(const Json& details) {
  const std::string* displayName = stringMember(details, "display_name");
  const std::string* username = stringMember(details, "username");
  const bool passwordSet = trueMember(details, "password_set");

  AccountView view;
  view.title = displayName ? *displayName : "Your account";
  view.text = "Username: " + (username ? *username : std::string()) +
              "\n\nYour files are private to this account. " +
              (passwordSet ? std::string("You can sign in on other ") + kMachine.plural +
                                 " with your username and password."
                           : std::string("Set a username and password to sign in on additional ") +
                                 kMachine.plural + ". Your current paired " + kMachine.plural +
                                 " will stay connected.");
  view.formUsername = username ? *username : "owner";
  if (passwordSet) {
    view.firstButton = "Change Password…";
    view.formTitle = "Change your password";
    view.formExplanation =
        "Use at least 12 characters. Your other devices will need to sign in again after this "
        "change.";
    view.askCurrentPassword = AskCurrentPassword::yes;
  } else {
    view.firstButton = "Set Up Sign-In…";
    view.formTitle = "Set up your account";
    view.formExplanation = std::string("Use at least 12 characters. Your existing paired ") +
                           kMachine.plural + " will remain connected.";
  }
  return view;
}

}  // namespace quorvane
