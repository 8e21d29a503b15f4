// The server's catalogue: accounts, devices, invitations, file versions and which
// objects each account has stored, in one SQLite database in the data folder.
// Every question about an account is answered here, never by a computer.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli.h"
#include "connection_files.h"
#include "database.h"

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

// What a device proves itself with; the catalogue keeps only the secret's digest.
struct Credentials {
  int64_t device = 0;
  std::string name;
  std::string secret;
};

// A device known to be genuine, and its account.
struct Caller {
  Account account;
  int64_t device = 0;
  std::string device_name;
};

struct Version {
  int64_t revision = 0;
  std::string path;
  std::optional<std::string> object;  // none: the file was deleted
  int64_t size = 0;
  double time = 0;
  std::string device;
  std::optional<int64_t> mode;  // permission bits; none from before they travelled
};

// A change a computer asks to record: accepted only when the path's latest
// revision is still the one that computer saw.
struct ProposedVersion {
  std::string path;
  int64_t expected_revision = 0;
  std::optional<std::string> object;
  int64_t size = 0;
  std::optional<int64_t> mode;
};

// An invitation pairs a computer within a week of being made, or not at all.
inline constexpr double invitation_lifetime = 7 * 24 * 3600;

// A username of 1 to 64 characters, no slash, no control character and no
// space at either end; a password of at least 12 bytes.
void check_new_account(const NewAccount& account);

// Refused because of who asks or with what: the person's mistake, not the server's.
struct Refusal : Failure {
  enum class Kind {
    bad_request,
    unauthorized,
    forbidden,
    not_found,
    conflict,
    too_large,
    too_many
  };
  Refusal(Kind kind, const std::string& sentence) : Failure(sentence), kind(kind) {}
  Kind kind;
};

class Catalogue {
 public:
  static constexpr const char* file_name = "catalogue.sqlite";
  // A new catalogue with its first administrator; the server's id is returned.
  static std::string create(const fs::path& data, const std::string& address,
                            const NewAccount& admin);
  explicit Catalogue(const fs::path& data);

  const std::string& server_id() const { return server_id_; }
  const std::string& address() const { return address_; }
  Database& database() { return db_; }

  // Accounts, devices and invitations (accounts.cpp). Every failed check takes
  // as long as a password check, so an unknown username cannot be told apart.
  Account sign_in(const std::string& username, const std::string& password);
  Caller authenticate(int64_t device, const std::string& secret);
  Credentials add_device(const Account& account, const std::string& name);
  // New credentials for a device of this account whose old ones were revoked or lost.
  Credentials renew_device(int64_t device, const Account& account);
  Invitation invite(const std::string& username, const ServerRef& server);
  std::pair<Account, Credentials> accept(int64_t invitation, const std::string& secret,
                                         const std::string& device_name);
  void create_account(const Caller& caller, const NewAccount& account);
  // A new password, and a new username or display name when they are given;
  // changing a password signs the account's other devices out.
  void change_sign_in(const Caller& caller, const NewAccount& change,
                      const std::string& current_password);

  // File versions (catalogue.cpp), always of one account.
  // The latest version of each path changed after revision `since`.
  std::vector<Version> changes(int64_t account, int64_t since);
  int64_t latest_revision(int64_t account);
  std::vector<Version> history(int64_t account);
  std::optional<Version> version(int64_t account, int64_t revision);
  // In one transaction; the new revision of each, or 0 where another computer
  // recorded one first or the account does not hold the object.
  std::vector<int64_t> record(const Caller& caller, const std::vector<ProposedVersion>& versions);
  int64_t restore(const Caller& caller, const Version& version);

  // Objects: stored once on disk, but an account reaches only those it stored.
  bool holds(int64_t account, const std::string& object);
  void note_stored(int64_t account, const std::vector<std::string>& objects);

 private:
  std::optional<Account> account_where(const char* condition, const auto& value);
  int64_t add_version(const Caller& caller, const ProposedVersion& version);

  Database db_;
  std::string server_id_;
  std::string address_;
};
