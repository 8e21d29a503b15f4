// The engine's sub-commands, one function each, given the words after the sub-command.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "client_config.h"
#include "remote.h"

using Words = std::vector<std::string>;

using Command = int (*)(const Words& words);
using Commands = std::map<std::string, Command>;

// Each file's sub-commands, by name.
extern const Commands setup_commands;  // login, pair, relogin, export-profile
extern const Commands
    account_commands;  // account-info, account-password, account-create, history, restore
extern const Commands watch_commands;  // watch, rejoin

// This computer's configuration, and its server reached in its device's name.
struct Session {
  explicit Session(const fs::path& config_file)
      : config(read_client_config(config_file)), remote(config.server, &config.device) {}

  ClientConfig config;
  Remote remote;
};
