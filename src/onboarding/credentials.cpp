#include "onboarding/credentials.h"

#include "common/json_document.h"
#include "onboarding/device_name.h"

namespace quorvane {
namespace {

constexpr std::size_t kUsernameField = 0;
constexpr std::size_t kPasswordField = 1;

}  // namespace

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

std::optional<Credentials> askCredentials(Dialogs& dialogs, std::string title, std::string text) {
  AlertResult result = dialogs.run(
      Alert{std::move(title), std::move(text), {"Sign In", "Cancel"}, credentialsView()});
  if (result.response != kAlertFirstButtonReturn || result.fields.size() != 2) return std::nullopt;
  return Credentials{result.fields[kUsernameField].text, result.fields[kPasswordField].text};
}

std::string credentialsRequest(const Credentials& credentials,
                               const std::optional<std::string>& hostName) {
  const Json request{{"username", credentials.username},
                     {"password", credentials.password},
                     {"device", deviceName(hostName)}};
  // Fields hold UTF-8 from the platform; should one not, a replacement character
  // is sent rather than the front end failing.
  return request.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace quorvane
