// Connecting this computer to a server: signing in, pairing, signing in again,
// and handing on the server connection file.
#include <unistd.h>

#include <algorithm>

#include "cli.h"
#include "commands.h"
#include "folder_identity.h"

using nlohmann::json;

namespace {

std::string host_name() {
  char name[256] = {};
  ::gethostname(name, sizeof name - 1);
  return name;
}

// The sync folder must exist and must not hold the client configuration: the
// device secret would be uploaded, and a log kept beside it would change at
// every pass that uploads it, forever.
fs::path sync_folder(const std::string& given, const fs::path& config) {
  fs::path folder = fs::absolute(given);
  if (!fs::is_directory(folder))
    throw Failure("The folder " + folder.string() + " does not exist.");
  auto real = [](const fs::path& path) {
    fs::path canonical = fs::weakly_canonical(path);
    return canonical.has_filename() ? canonical : canonical.parent_path();
  };
  fs::path settings = fs::absolute(config).parent_path(), mine = real(folder);
  fs::path inner = real(settings);
  auto [end, _] = std::mismatch(mine.begin(), mine.end(), inner.begin(), inner.end());
  if (end == mine.end())
    throw Failure("The sync folder must not hold this computer’s Quorvane settings in " +
                  settings.string() + "; choose a dedicated folder.");
  return folder;
}

Credentials credentials_of(const json& device) {
  return {device.at("id").get<int64_t>(), device.at("name").get<std::string>(),
          device.at("secret").get<std::string>()};
}

int login(const Words& words) {
  Arguments arguments(words, {"--profile", "--folder", "--config"});
  auto request = read_request({"username", "password", "device"});
  ServerRef server = read_connection_file(arguments.value("--profile"));
  fs::path folder = sync_folder(arguments.value("--folder"), arguments.value("--config"));
  json reply = Remote(server).post("/v1/login", request);
  write_client_config(
      arguments.value("--config"),
      {folder, server, credentials_of(reply.at("device")), nullptr, mark_folder(folder)});
  return 0;
}

int pair(const Words& words) {
  Arguments arguments(words, {"--invitation", "--folder", "--config"});
  Invitation invitation = read_invitation(arguments.value("--invitation"));
  fs::path folder = sync_folder(arguments.value("--folder"), arguments.value("--config"));
  json reply = Remote(invitation.server)
                   .post("/v1/pair", {{"invitation", invitation.id},
                                      {"secret", invitation.secret},
                                      {"device", host_name()}});
  write_client_config(arguments.value("--config"), {folder,
                                                    invitation.server,
                                                    credentials_of(reply.at("device")),
                                                    {{"account", reply.at("account")}},
                                                    mark_folder(folder)});
  return 0;
}

int relogin(const Words& words) {
  Arguments arguments(words, {"--config"});
  auto request = read_request({"username", "password", "device"});
  ClientConfig config = read_client_config(arguments.value("--config"));
  json reply = Remote(config.server)
                   .post("/v1/relogin", {{"username", request["username"]},
                                         {"password", request["password"]},
                                         {"device", config.device.device}});
  config.device = credentials_of(reply.at("device"));
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

const Commands setup_commands = {
    {"login", login}, {"pair", pair}, {"relogin", relogin}, {"export-profile", export_profile}};
