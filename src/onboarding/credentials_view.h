#pragma once

#include "platform/dialogs.h"

namespace quorvane {

// The username and password fields of the sign-in alerts: the username field
// first and focused, the password field below it.
AlertAccessory credentialsView();

inline constexpr std::size_t kUsernameField = 0;
inline constexpr std::size_t kPasswordField = 1;

}  // namespace quorvane
