// The sub-commands, one function each, given the words after the sub-command.
#pragma once

#include <string>
#include <vector>

#include "client_files.h"
#include "server.h"

using Words = std::vector<std::string>;

int server_init(const Words& words);
int invite(const Words& words);
int login(const Words& words);
int pair(const Words& words);
int relogin(const Words& words);
int export_profile(const Words& words);
int account_info(const Words& words);
int account_password(const Words& words);
int account_create(const Words& words);
int history(const Words& words);
int restore(const Words& words);
int watch(const Words& words);

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
