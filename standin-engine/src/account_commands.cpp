// What a signed-in computer asks of its account: details, password, new users,
// the history of its files and restoring one version.
#include <charconv>
#include <iostream>

#include "cli.h"
#include "commands.h"

namespace {

constexpr std::initializer_list<const char*> account_request = {"username", "display_name",
                                                                "current_password", "password"};

NewAccount new_account(std::map<std::string, std::string>& request) {
  return {request["username"], request["display_name"], request["password"], false};
}

// Paths are bytes on disk; JSON wants UTF-8, so a stray byte shows as U+FFFD.
void print_json(const nlohmann::json& value) {
  std::cout << value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

int account_info(const Words& words) {
  Session session(read_client_config(Arguments(words, {"--config"}).value("--config")));
  print_json(account_details(session.account));
  return 0;
}

int account_password(const Words& words) {
  Arguments arguments(words, {"--config"});
  auto request = read_request(account_request);
  Session session(read_client_config(arguments.value("--config")));
  session.server.change_sign_in(session.account, session.config.device, new_account(request),
                                request["current_password"]);
  return 0;
}

int account_create(const Words& words) {
  Arguments arguments(words, {"--config"});
  auto request = read_request(account_request);
  Session session(read_client_config(arguments.value("--config")));
  if (!session.account.admin) throw Failure("Only an administrator can create accounts.");
  session.server.create_account(new_account(request));
  return 0;
}

int history(const Words& words) {
  Session session(read_client_config(Arguments(words, {"--config"}).value("--config")));
  auto versions = nlohmann::json::array();
  for (const Version& version : session.server.history(session.account.id)) {
    versions.push_back({version.path,
                        {{"content", version.object ? nlohmann::json(*version.object) : nullptr},
                         {"revision", version.revision},
                         {"time", version.time},
                         {"device", version.device},
                         {"size", version.size}}});
  }
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
  Session session(read_client_config(arguments.value("--config")));
  auto version = session.server.version(session.account.id, revision);
  if (!version) throw Failure("Your history has no revision " + text + ".");
  if (!version->object)
    throw Failure("Revision " + text + " records a deletion; choose a version with content.");
  int64_t restored = session.server.add_version(
      session.account.id,
      {0, version->path, version->object, version->size, 0, session.config.device.name});
  std::cout << version->path << " is back as it was on "
            << local_time_text(version->time, "%Y-%m-%d at %H:%M") << " (revision " << revision
            << "); it is now revision " << restored << " and will sync to all your computers.\n";
  return 0;
}

}  // namespace

nlohmann::json account_details(const Account& account) {
  return {{"username", account.username},
          {"display_name", account.display_name},
          {"password_set", account.password_set},
          {"admin", account.admin}};
}

const Commands account_commands = {{"account-info", account_info},
                                   {"account-password", account_password},
                                   {"account-create", account_create},
                                   {"history", history},
                                   {"restore", restore}};
