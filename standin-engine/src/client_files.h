// The files a computer holds: the server connection file, a pairing invitation
// and the client configuration. None holds a password.
#pragma once

#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

namespace fs = std::filesystem;

inline constexpr const char* home_server_name = "Quorvane Home";

// A server: its folder, and the identity it was created with, so that another
// server mounted at the same place is never mistaken for it.
struct ServerRef {
  fs::path folder;
  std::string id;
};

// What a device proves itself with; the server keeps only the secret's digest.
struct Credentials {
  int64_t device = 0;
  std::string name;
  std::string secret;
};

struct Invitation {
  ServerRef server;
  int64_t id = 0;
  std::string secret;
};

struct ClientConfig {
  fs::path folder;
  ServerRef server;
  Credentials device;
  nlohmann::json invitation;  // {"account": {...}} for a paired computer, else null
};

ServerRef read_connection_file(const fs::path& path);
void write_connection_file(const fs::path& path, const ServerRef& server);
Invitation read_invitation(const fs::path& path);
// The same for an invitation already read; `name` stands for it in messages.
Invitation parse_invitation(const std::string& text, const std::string& name);
void write_invitation(const fs::path& path, const Invitation& invitation);
ClientConfig read_client_config(const fs::path& path);
// Written with mode 0600, in a folder created with mode 0700 when missing.
void write_client_config(const fs::path& path, const ClientConfig& config);
