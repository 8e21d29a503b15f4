// This computer's client configuration: its sync folder, its server and the
// credentials of this device. Written with mode 0600; it holds no password.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "connection_files.h"

// What a device proves itself with on every request.
struct Credentials {
  int64_t device = 0;
  std::string name;
  std::string secret;
};

struct ClientConfig {
  fs::path folder;
  ServerRef server;
  Credentials device;
  nlohmann::json invitation;  // {"account": {...}} for a paired computer, else null
  std::string folder_id;      // the mark in the folder's .quorvane; empty before marks
};

ClientConfig read_client_config(const fs::path& path);
// In a folder created with mode 0700 when missing.
void write_client_config(const fs::path& path, const ClientConfig& config);
