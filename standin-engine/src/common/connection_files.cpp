#include "connection_files.h"

#include "cli.h"
#include "files.h"

using nlohmann::json;

json server_json(const char* kind, const ServerRef& server) {
  return {{"kind", kind},
          {"name", home_server_name},
          {"address", server.address},
          {"certificate", server.certificate},
          {"server_id", server.id}};
}

ServerRef server_of(const json& document) {
  return {document.at("address").get<std::string>(), document.at("certificate").get<std::string>(),
          document.at("server_id").get<std::string>()};
}

json parse_document(const std::string& text, const std::string& name, const char* kind,
                    const std::string& what) {
  json document = json::parse(text, nullptr, false);
  if (!document.is_object() || document.value("kind", json()) != kind)
    throw Failure(name + " is not " + what + ".");
  return document;
}

namespace {

// Reads one of our documents, naming it when a member is missing or of another type.
template <typename Reader>
auto parse_json(const std::string& text, const std::string& name, const char* kind,
                const std::string& what, Reader reader) {
  json document = parse_document(text, name, kind, what);
  try {
    return reader(document);
  } catch (const json::exception&) {
    throw Failure(name + " is not " + what + ".");
  }
}

std::string dump(const json& document) {
  return document.dump(2) + "\n";
}

}  // namespace

ServerRef read_connection_file(const fs::path& path) {
  return parse_json(read_file(path), path.string(), "quorvane-server",
                    "a Quorvane server connection file", server_of);
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
