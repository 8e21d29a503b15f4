// Making a server, inviting a device, and connecting this computer to a server.
#include <unistd.h>

#include <algorithm>
#include <cctype>

#include "cli.h"
#include "commands.h"

namespace {

// ASCII letters and digits only, at most 24 of them: a name every file system
// and every log can carry.
std::string device_name(const std::string& wanted) {
  std::string name;
  for (unsigned char c : wanted)
    if (c < 128 && std::isalnum(c) && name.size() < 24) name += static_cast<char>(c);
  return name.empty() ? "Computer" : name;
}

std::string host_name() {
  char name[256] = {};
  ::gethostname(name, sizeof name - 1);
  return device_name(name);
}

// The sync folder must exist. It and the server folder must not hold each other:
// the server would sync its own objects. Nor may it hold the client configuration:
// the device secret would be uploaded, and a log kept beside it would change at
// every pass that uploads it, forever.
fs::path sync_folder(const std::string& given, const ServerRef& server, const fs::path& config) {
  fs::path folder = fs::absolute(given);
  if (!fs::is_directory(folder))
    throw Failure("The folder " + folder.string() + " does not exist.");
  auto real = [](const fs::path& path) {
    fs::path canonical = fs::weakly_canonical(path);
    return canonical.has_filename() ? canonical : canonical.parent_path();
  };
  auto inside = [](const fs::path& inner, const fs::path& outer) {
    auto [end, _] = std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
    return end == outer.end();
  };
  fs::path mine = real(folder), home = real(server.folder);
  if (inside(mine, home) || inside(home, mine))
    throw Failure("The sync folder and the server folder must not lie inside each other.");
  fs::path settings = fs::absolute(config).parent_path();
  if (inside(real(settings), mine))
    throw Failure("The sync folder must not hold this computer’s Quorvane settings in " +
                  settings.string() + "; choose a dedicated folder.");
  return folder;
}

int server_init(const Words& words) {
  Arguments arguments(words, {"--server", "--output"});
  auto request = read_request({"username", "display_name", "password"});
  ServerRef server =
      Server::create(arguments.value("--server"),
                     {request["username"], request["display_name"], request["password"], true});
  write_connection_file(arguments.value("--output"), server);
  return 0;
}

int invite(const Words& words) {
  Arguments arguments(words, {"--server", "--username", "--output"});
  Server server(ServerRef{fs::absolute(arguments.value("--server")), ""});
  write_invitation(arguments.value("--output"), server.invite(arguments.value("--username")));
  return 0;
}

int login(const Words& words) {
  Arguments arguments(words, {"--profile", "--folder", "--config"});
  auto request = read_request({"username", "password", "device"});
  Server server(read_connection_file(arguments.value("--profile")));
  fs::path folder =
      sync_folder(arguments.value("--folder"), server.ref(), arguments.value("--config"));
  Account account = server.sign_in(request["username"], request["password"]);
  Credentials device = server.add_device(account, device_name(request["device"]));
  write_client_config(arguments.value("--config"), {folder, server.ref(), device, nullptr});
  return 0;
}

int pair(const Words& words) {
  Arguments arguments(words, {"--invitation", "--folder", "--config"});
  Invitation invitation = read_invitation(arguments.value("--invitation"));
  Server server(invitation.server);
  fs::path folder =
      sync_folder(arguments.value("--folder"), server.ref(), arguments.value("--config"));
  auto [account, device] = server.accept(invitation, host_name());
  write_client_config(arguments.value("--config"),
                      {folder, server.ref(), device, {{"account", account_details(account)}}});
  return 0;
}

int relogin(const Words& words) {
  Arguments arguments(words, {"--config"});
  auto request = read_request({"username", "password", "device"});
  ClientConfig config = read_client_config(arguments.value("--config"));
  Server server(config.server);
  Account account = server.sign_in(request["username"], request["password"]);
  config.device = server.renew_device(config.device, account);
  write_client_config(arguments.value("--config"), config);
  return 0;
}

int export_profile(const Words& words) {
  Arguments arguments(words, {"--config", "--output"});
  ClientConfig config = read_client_config(arguments.value("--config"));
  write_connection_file(arguments.value("--output"), config.server);
  return 0;
}

}  // namespace

const Commands setup_commands = {{"server-init", server_init},
                                 {"invite", invite},
                                 {"login", login},
                                 {"pair", pair},
                                 {"relogin", relogin},
                                 {"export-profile", export_profile}};
