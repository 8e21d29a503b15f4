// The home server: a folder holding a SQLite catalogue (accounts, devices,
// invitations, file versions) and the object store beside it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "client_files.h"
#include "database.h"
#include "object_store.h"

struct Account {
  int64_t id = 0;
  std::string username;
  std::string display_name;
  bool password_set = false;
  bool admin = false;
};

struct NewAccount {
  std::string username;
  std::string display_name;
  std::string password;
  bool admin = false;
};

struct Version {
  int64_t revision = 0;
  std::string path;
  std::optional<std::string> object;  // none: the file was deleted
  int64_t size = 0;
  double time = 0;
  std::string device;
};

// A username of 1 to 64 characters, no slash, no control character and no
// space at either end; a password of at least 12 bytes.
void check_new_account(const NewAccount& account);

class Server {
 public:
  // A new server in an absent or empty folder, with its first administrator.
  static ServerRef create(const fs::path& folder, const NewAccount& admin);
  // Unreachable when the folder holds no catalogue (an unmounted share, say).
  explicit Server(const ServerRef& server);

  const ServerRef& ref() const { return ref_; }
  Database& catalogue() { return catalogue_; }
  ObjectStore& objects() { return objects_; }

  // Accounts, devices and invitations (accounts.cpp).
  Account sign_in(const std::string& username, const std::string& password);
  Account authenticate(const Credentials& device);
  Credentials add_device(const Account& account, const std::string& name);
  // New credentials for a device whose old ones were revoked or lost.
  Credentials renew_device(const Credentials& device, const Account& account);
  Invitation invite(const std::string& username);
  std::pair<Account, Credentials> accept(const Invitation& invitation, const std::string& name);
  void create_account(const NewAccount& account);
  // A new password, and a new username or display name when they are given;
  // changing a password signs the account's other devices out.
  void change_sign_in(const Account& account, const Credentials& device, const NewAccount& change,
                      const std::string& current_password);

  // File versions (catalogue.cpp).
  std::map<std::string, Version> current_versions(int64_t account);
  std::vector<Version> history(int64_t account);
  std::optional<Version> version(int64_t account, int64_t revision);
  int64_t latest_revision(int64_t account, const std::string& path);
  int64_t add_version(int64_t account, const Version& version);

 private:
  std::optional<Account> account_where(const char* condition, const auto& value);

  ServerRef ref_;
  Database catalogue_;
  ObjectStore objects_;
};
