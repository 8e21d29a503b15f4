// The files that lead a computer to the server: the server connection file and a
// pairing invitation. Both carry the server's address and its certificate, which
// is the only one the engine will trust there; neither holds a password.
#pragma once

#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

namespace fs = std::filesystem;

inline constexpr const char* home_server_name = "Quorvane Home";

struct ServerRef {
  std::string address;      // HOST:PORT
  std::string certificate;  // PEM
  std::string id;
};

struct Invitation {
  ServerRef server;
  int64_t id = 0;
  std::string secret;
};

ServerRef read_connection_file(const fs::path& path);
void write_connection_file(const fs::path& path, const ServerRef& server);
Invitation read_invitation(const fs::path& path);
// The same for an invitation already read; `name` stands for it in messages.
Invitation parse_invitation(const std::string& text, const std::string& name);
// Written with mode 0600: whoever holds it can pair a computer.
void write_invitation(const fs::path& path, const Invitation& invitation);

// For the client configuration, which names its server the same way.
nlohmann::json server_json(const char* kind, const ServerRef& server);
ServerRef server_of(const nlohmann::json& document);
// The JSON document of kind `kind` in text; a Failure "<name> is not <what>." otherwise.
nlohmann::json parse_document(const std::string& text, const std::string& name, const char* kind,
                              const std::string& what);
