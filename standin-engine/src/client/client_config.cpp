#include "client_config.h"

#include "cli.h"
#include "files.h"

using nlohmann::json;

ClientConfig read_client_config(const fs::path& path) {
  if (!fs::exists(path)) throw Failure("This computer is not signed in to Quorvane Home yet.");
  const std::string what = "a Quorvane client configuration";
  json document = parse_document(read_file(path), path.string(), "quorvane-client", what);
  try {
    const json& device = document.at("device");
    return {document.at("folder").get<std::string>(), server_of(document),
            Credentials{device.at("id").get<int64_t>(), device.at("name").get<std::string>(),
                        device.at("secret").get<std::string>()},
            document.value("invitation", json()), document.value("folder_id", "")};
  } catch (const json::exception&) {
    throw Failure(path.string() + " is not " + what + ".");
  }
}

void write_client_config(const fs::path& path, const ClientConfig& config) {
  json document = server_json("quorvane-client", config.server);
  document["folder"] = config.folder.string();
  document["device"] = {
      {"id", config.device.device}, {"name", config.device.name}, {"secret", config.device.secret}};
  if (!config.invitation.is_null()) document["invitation"] = config.invitation;
  if (!config.folder_id.empty()) document["folder_id"] = config.folder_id;
  std::error_code error;
  if (fs::create_directories(path.parent_path(), error))
    fs::permissions(path.parent_path(), fs::perms::owner_all, error);
  if (error)
    throw Failure("Could not create " + path.parent_path().string() + ": " + error.message() + ".");
  write_file_atomically(path, document.dump(2) + "\n", 0600);
}
