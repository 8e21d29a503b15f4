#include "onboarding/credentials_view.h"

#include "app/app_delegate.h"
#include "common/json_document.h"
#include "onboarding/device_name.h"

namespace quorvane {

AlertAccessory credentialsView() {
  AlertField username;
  username.kind = AlertField::Kind::text;
  username.frame = {0, 60, 360, 28};
  username.placeholder = "Username";
  AlertField password;
  password.kind = AlertField::Kind::secureText;
  password.frame = {0, 10, 360, 28};
  password.placeholder = "Password";
  return {360, 100, {username, password}, kUsernameField};
}

std::optional<AppDelegate::Credentials> AppDelegate::askCredentials(std::string title,
                                                                    std::string text) {
  AlertResult result = platform_.ui.runAlert(
      Alert{std::move(title), std::move(text), {"Sign In", "Cancel"}, credentialsView()});
  if (result.response != kAlertFirstButtonReturn || result.fields.size() != 2) return std::nullopt;
  return Credentials{result.fields[kUsernameField].text, result.fields[kPasswordField].text};
}

std::string AppDelegate::credentialsRequest(const Credentials& credentials) const {
  const Json request{{"username", credentials.username},
                     {"password", credentials.password},
                     {"device", deviceName(platform_.system.localizedHostName())}};
  // Fields hold UTF-8 from the platform; should one not, a replacement character
  // is sent rather than the front end failing.
  return request.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace quorvane
