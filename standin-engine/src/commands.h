// The sub-commands, one function each, given the words after the sub-command.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "client_files.h"
#include "server.h"

using Words = std::vector<std::string>;

using Command = int (*)(const Words& words);
using Commands = std::map<std::string, Command>;

// Each file's sub-commands, by name.
extern const Commands setup_commands;  // server-init, invite, login, pair, relogin, export-profile
extern const Commands
    account_commands;  // account-info, account-password, account-create, history, restore
extern const Commands watch_commands;  // watch

// "username", "display_name", "password_set" and "admin".
nlohmann::json account_details(const Account& account);

// This computer's configuration, its server, and the account its credentials
// belong to.
struct Session {
  explicit Session(const ClientConfig& client)
      : config(client), server(config.server), account(server.authenticate(config.device)) {}

  ClientConfig config;
  Server server;
  Account account;
};
