#include "client_files.h"

#include "cli.h"
#include "files.h"

namespace {

using nlohmann::json;

json server_json(const char* kind, const ServerRef& server) {
  return {{"kind", kind},
          {"name", home_server_name},
          {"server_folder", server.folder.string()},
          {"server_id", server.id}};
}

// Reads the text of a file of ours, naming the file when it is not what it should be.
template <typename Reader>
auto parse_json(const std::string& text, const std::string& name, const char* kind,
                const std::string& what, Reader reader) {
  json document = json::parse(text, nullptr, false);
  try {
    if (document.value("kind", "") != kind) throw Failure(name + " is not " + what + ".");
    return reader(document);
  } catch (const json::exception&) {
    throw Failure(name + " is not " + what + ".");
  }
}

template <typename Reader>
auto read_json(const fs::path& path, const char* kind, const std::string& what, Reader reader) {
  return parse_json(read_file(path), path.string(), kind, what, reader);
}

ServerRef server_of(const json& document) {
  return {document.at("server_folder").get<std::string>(),
          document.at("server_id").get<std::string>()};
}

std::string dump(const json& document) {
  return document.dump(2) + "\n";
}

}  // namespace

ServerRef read_connection_file(const fs::path& path) {
  return read_json(path, "quorvane-server", "a Quorvane server connection file", server_of);
}

void write_connection_file(const fs::path& path, const ServerRef& server) {
  write_file_atomically(path, dump(server_json("quorvane-server", server)), 0644);
}

Invitation read_invitation(const fs::path& path) {
  return parse_invitation(read_file(path), path.string());
}

Invitation parse_invitation(const std::string& text, const std::string& name) {
  return parse_json(
      text, name, "quorvane-invitation", "a Quorvane pairing invitation", [](const json& document) {
        return Invitation{server_of(document), document.at("invitation").get<int64_t>(),
                          document.at("secret").get<std::string>()};
      });
}

void write_invitation(const fs::path& path, const Invitation& invitation) {
  json document = server_json("quorvane-invitation", invitation.server);
  document["invitation"] = invitation.id;
  document["secret"] = invitation.secret;
  write_file_atomically(path, dump(document), 0600);
}

ClientConfig read_client_config(const fs::path& path) {
  if (!fs::exists(path)) throw Failure("This computer is not signed in to Quorvane Home yet.");
  return read_json(
      path, "quorvane-client", "a Quorvane client configuration", [](const json& document) {
        const json& device = document.at("device");
        return ClientConfig{document.at("folder").get<std::string>(),
                            server_of(document),
                            {device.at("id").get<int64_t>(), device.at("name").get<std::string>(),
                             device.at("secret").get<std::string>()},
                            document.value("invitation", json())};
      });
}

void write_client_config(const fs::path& path, const ClientConfig& config) {
  json document = server_json("quorvane-client", config.server);
  document["folder"] = config.folder.string();
  document["device"] = {
      {"id", config.device.device}, {"name", config.device.name}, {"secret", config.device.secret}};
  if (!config.invitation.is_null()) document["invitation"] = config.invitation;
  std::error_code error;
  if (fs::create_directories(path.parent_path(), error))
    fs::permissions(path.parent_path(), fs::perms::owner_all, error);
  if (error)
    throw Failure("Could not create " + path.parent_path().string() + ": " + error.message() + ".");
  write_file_atomically(path, dump(document), 0600);
}
