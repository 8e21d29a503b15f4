#include <sodium.h>

#include <algorithm>

#include "cli.h"
#include "server.h"

namespace {

std::string hash_password(const std::string& password) {
  char hash[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                        crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
    throw Failure("There is not enough memory to protect the password.");
  return hash;
}

bool password_matches(const std::optional<std::string>& hash, const std::string& password) {
  return hash && crypto_pwhash_str_verify(hash->c_str(), password.data(), password.size()) == 0;
}

bool secret_matches(const std::optional<std::string>& digest, const std::string& secret) {
  std::string expected = digest_of(secret);
  return digest && digest->size() == expected.size() &&
         sodium_memcmp(digest->data(), expected.data(), expected.size()) == 0;
}

}  // namespace

void check_new_account(const NewAccount& account) {
  const std::string& name = account.username;
  auto unsuitable = [](unsigned char c) { return c < 0x20 || c == 0x7f || c == '/'; };
  if (name.empty() || name.size() > 64 || name.front() == ' ' || name.back() == ' ' ||
      std::any_of(name.begin(), name.end(), unsuitable))
    throw Failure("A username needs 1 to 64 characters, no slash and no space at either end.");
  if (account.password.size() < 12) throw Failure("Use a password of at least 12 characters.");
}

std::optional<Account> Server::account_where(const char* condition, const auto& value) {
  auto row = catalogue_.query(
      std::string("SELECT id, username, display_name, password_hash, admin FROM accounts WHERE ") +
          condition,
      value);
  if (!row.step()) return std::nullopt;
  return Account{row.integer(0), row.text(1), row.text(2), row.optional_text(3).has_value(),
                 row.integer(4) != 0};
}

Account Server::sign_in(const std::string& username, const std::string& password) {
  auto row =
      catalogue_.query("SELECT id, password_hash FROM accounts WHERE username = ?", username);
  if (!row.step() || !password_matches(row.optional_text(1), password))
    throw Failure("The username or password is not correct.");
  return *account_where("id = ?", row.integer(0));
}

Account Server::authenticate(const Credentials& device) {
  auto row =
      catalogue_.query("SELECT account, secret_digest FROM devices WHERE id = ?", device.device);
  if (!row.step() || !secret_matches(row.optional_text(1), device.secret))
    throw Failure("This computer’s sign-in is no longer valid; choose Sign In Again.");
  return *account_where("id = ?", row.integer(0));
}

Credentials Server::add_device(const Account& account, const std::string& name) {
  Credentials credentials{0, name, random_hex(32)};
  catalogue_.run("INSERT INTO devices (account, name, secret_digest) VALUES (?, ?, ?)", account.id,
                 name, digest_of(credentials.secret));
  credentials.device = catalogue_.last_insert_id();
  return credentials;
}

Credentials Server::renew_device(const Credentials& device, const Account& account) {
  Transaction transaction(catalogue_);
  if (auto row = catalogue_.query("SELECT account FROM devices WHERE id = ?", device.device);
      !row.step() || row.integer(0) != account.id)
    throw Failure("This folder belongs to another account; sign in with the account that owns it.");
  Credentials renewed{device.device, device.name, random_hex(32)};
  catalogue_.run("UPDATE devices SET secret_digest = ? WHERE id = ?", digest_of(renewed.secret),
                 device.device);
  transaction.commit();
  return renewed;
}

Invitation Server::invite(const std::string& username) {
  auto account = account_where("username = ?", username);
  if (!account) throw Failure("There is no account named " + username + " on Quorvane Home.");
  Invitation invitation{ref_, 0, random_hex(32)};
  catalogue_.run("INSERT INTO invitations (account, secret_digest) VALUES (?, ?)", account->id,
                 digest_of(invitation.secret));
  invitation.id = catalogue_.last_insert_id();
  return invitation;
}

std::pair<Account, Credentials> Server::accept(const Invitation& invitation,
                                               const std::string& name) {
  Transaction transaction(catalogue_);
  int64_t account = 0;
  if (auto row = catalogue_.query(
          "SELECT account, secret_digest, used FROM invitations WHERE id = ?", invitation.id);
      !row.step() || !secret_matches(row.optional_text(1), invitation.secret)) {
    throw Failure("This invitation is not valid for Quorvane Home.");
  } else if (row.integer(2) != 0) {
    throw Failure("This invitation has already been used; ask for a new one.");
  } else {
    account = row.integer(0);
  }
  catalogue_.run("UPDATE invitations SET used = 1 WHERE id = ?", invitation.id);
  auto paired = *account_where("id = ?", account);
  auto credentials = add_device(paired, name);
  transaction.commit();
  return {paired, credentials};
}

void Server::create_account(const NewAccount& account) {
  check_new_account(account);
  std::string hash = hash_password(account.password);
  Transaction transaction(catalogue_);
  if (account_where("username = ?", account.username))
    throw Failure("The username " + account.username + " is already taken.");
  catalogue_.run(
      "INSERT INTO accounts (username, display_name, password_hash, admin) VALUES (?, ?, ?, ?)",
      account.username, account.display_name.empty() ? account.username : account.display_name,
      hash, account.admin ? 1 : 0);
  transaction.commit();
}

void Server::change_sign_in(const Account& account, const Credentials& device,
                            const NewAccount& change, const std::string& current_password) {
  check_new_account(change);
  std::string hash = hash_password(change.password);
  Transaction transaction(catalogue_);
  bool had_password = false;
  if (auto old = catalogue_.query("SELECT password_hash FROM accounts WHERE id = ?", account.id);
      old.step() && old.optional_text(0)) {
    had_password = true;
    if (!password_matches(old.optional_text(0), current_password))
      throw Failure("The current password is not correct.");
  }
  if (auto same = account_where("username = ?", change.username); same && same->id != account.id)
    throw Failure("The username " + change.username + " is already taken.");
  catalogue_.run(
      "UPDATE accounts SET username = ?, display_name = ?, password_hash = ? WHERE id = ?",
      change.username, change.display_name.empty() ? account.display_name : change.display_name,
      hash, account.id);
  // Whoever knew the old password is signed out everywhere but here.
  if (had_password)
    catalogue_.run("UPDATE devices SET secret_digest = NULL WHERE account = ? AND id != ?",
                   account.id, device.device);
  transaction.commit();
}
