// Signing in, pairing, signing in again, account details, passwords and new users.
#include <cctype>

#include "requests.h"
#include "service.h"

using nlohmann::json;

namespace {

// ASCII letters and digits only, at most 24 of them: a name every file system
// and every log can carry.
std::string device_name(const std::string& wanted) {
  std::string name;
  for (unsigned char c : wanted)
    if (c < 128 && std::isalnum(c) && name.size() < 24) name += static_cast<char>(c);
  return name.empty() ? "Computer" : name;
}

json device_json(const Credentials& device) {
  return {{"id", device.device}, {"name", device.name}, {"secret", device.secret}};
}

void sign_in(Call& call) {
  auto request = parse_sign_in(call.body());
  Account account =
      call.throttled([&] { return call.catalogue.sign_in(request.username, request.password); });
  Credentials device = call.catalogue.add_device(account, device_name(request.device));
  call.reply({{"account", account_details(account)}, {"device", device_json(device)}});
}

void pair(Call& call) {
  json body = call.body();
  int64_t invitation = integer_member(body, "invitation");
  std::string secret = text_member(body, "secret"), name = text_member(body, "device", 256);
  auto [account, device] =
      call.throttled([&] { return call.catalogue.accept(invitation, secret, device_name(name)); });
  call.reply({{"account", account_details(account)}, {"device", device_json(device)}});
}

void sign_in_again(Call& call) {
  json body = call.body();
  std::string username = text_member(body, "username"), password = text_member(body, "password");
  int64_t device = integer_member(body, "device");
  Account account = call.throttled([&] { return call.catalogue.sign_in(username, password); });
  call.reply({{"device", device_json(call.catalogue.renew_device(device, account))}});
}

void details(Call& call) {
  call.reply(account_details(call.device().account));
}

void change_password(Call& call) {
  json body = call.body();
  NewAccount change = parse_new_account(body);
  std::string current = text_member(body, "current_password");
  call.throttled([&] {
    call.catalogue.change_sign_in(call.device(), change, current);
    return true;
  });
  call.reply(json::object());
}

void create_account(Call& call) {
  call.catalogue.create_account(call.device(), parse_new_account(call.body()));
  call.reply(json::object());
}

}  // namespace

json account_details(const Account& account) {
  return {{"username", account.username},
          {"display_name", account.display_name},
          {"password_set", account.password_set},
          {"admin", account.admin}};
}

const std::vector<Route> account_routes = {
    {"POST", "/v1/login", false, sign_in},
    {"POST", "/v1/pair", false, pair},
    {"POST", "/v1/relogin", false, sign_in_again},
    {"GET", "/v1/account", true, details},
    {"POST", "/v1/account/password", true, change_password},
    {"POST", "/v1/accounts", true, create_account},
};
