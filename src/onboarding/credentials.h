#pragma once

#include <optional>
#include <string>

#include "app/dialogs.h"
#include "platform/dialogs.h"

namespace quorvane {

// The username and password fields of the sign-in alerts: the username field
// first and focused, the password field below it.
AlertAccessory credentialsView();

struct Credentials {
  std::string username, password;  // as typed, spaces kept
};

// The sign-in alert titled `title` with the credentials view; none unless its
// first button, "Sign In", was pressed.
std::optional<Credentials> askCredentials(Dialogs& dialogs, std::string title, std::string text);

// The compact JSON object of strings that login and relogin read on standard input:
// the credentials and the device name made from `hostName`.
std::string credentialsRequest(const Credentials& credentials,
                               const std::optional<std::string>& hostName);

}  // namespace quorvane
