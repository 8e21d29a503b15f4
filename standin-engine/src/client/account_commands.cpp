// What a signed-in computer asks of its account: details, password, new users,
// the history of its files and restoring one version.
#include <charconv>
#include <iostream>

#include "cli.h"
#include "commands.h"

using nlohmann::json;

namespace {

constexpr std::initializer_list<const char*> account_request = {"username", "display_name",
                                                                "current_password", "password"};

// Paths are bytes on disk; JSON wants UTF-8, so a stray byte shows as U+FFFD.
void print_json(const json& value) {
  std::cout << value.dump(-1, ' ', false, json::error_handler_t::replace) << "\n";
}

std::string config_of(const Words& words) {
  return Arguments(words, {"--config"}).value("--config");
}

int account_info(const Words& words) {
  json details = Session(config_of(words)).remote.get("/v1/account");
  print_json({{"username", details.at("username")},
              {"display_name", details.at("display_name")},
              {"password_set", details.at("password_set")},
              {"admin", details.at("admin")}});
  return 0;
}

int account_password(const Words& words) {
  std::string config = config_of(words);
  auto request = read_request(account_request);
  Session(config).remote.post("/v1/account/password", request);
  return 0;
}

int account_create(const Words& words) {
  std::string config = config_of(words);
  auto request = read_request(account_request);
  Session(config).remote.post("/v1/accounts", {{"username", request["username"]},
                                               {"display_name", request["display_name"]},
                                               {"password", request["password"]}});
  return 0;
}

int history(const Words& words) {
  json versions = Session(config_of(words)).remote.get("/v1/history");
  if (!versions.is_array()) throw Failure("Quorvane Home sent a history this engine cannot read.");
  print_json(versions);
  return 0;
}

int restore(const Words& words) {
  Arguments arguments(words, {"--config", "--revision"});
  const std::string& text = arguments.value("--revision");
  int64_t revision = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), revision);
  if (error != std::errc() || end != text.data() + text.size() || revision <= 0)
    throw Failure("“" + text + "” is not a revision number.");
  json restored =
      Session(arguments.value("--config")).remote.post("/v1/restore", {{"revision", revision}});
  std::cout << restored.at("path").get<std::string>() << " is back as it was on "
            << local_time_text(restored.at("time").get<double>(), "%Y-%m-%d at %H:%M")
            << " (revision " << revision << "); it is now revision "
            << restored.at("revision").get<int64_t>() << " and will sync to all your computers.\n";
  return 0;
}

}  // namespace

const Commands account_commands = {{"account-info", account_info},
                                   {"account-password", account_password},
                                   {"account-create", account_create},
                                   {"history", history},
                                   {"restore", restore}};
