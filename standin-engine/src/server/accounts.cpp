#include <sodium.h>

#include <algorithm>

#include "catalogue.h"
#include "cli.h"
#include "digest.h"
#include "files.h"

namespace {

using Kind = Refusal::Kind;

std::string hash_password(const std::string& password) {
  char hash[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                        crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
    throw Failure("There is not enough memory to protect the password.");
  return hash;
}

// A hash that no password matches, checked when there is no real one, so that a
// wrong username costs the same time as a wrong password.
const std::string& stand_in_hash() {
  static const std::string hash = hash_password(random_hex(32));
  return hash;
}

bool password_matches(const std::optional<std::string>& hash, const std::string& password) {
  const std::string& checked = hash ? *hash : stand_in_hash();
  return crypto_pwhash_str_verify(checked.c_str(), password.data(), password.size()) == 0 &&
         hash.has_value();
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
    throw Refusal(Kind::bad_request,
                  "A username needs 1 to 64 characters, no slash and no space at either end.");
  // Bytes of UTF-8, as the front end's account form counts them, so that a
  // password the form accepts is never refused here.
  if (account.password.size() < 12)
    throw Refusal(Kind::bad_request, "Use a password of at least 12 characters.");
  if (account.display_name.size() > 256)
    throw Refusal(Kind::bad_request, "A display name has at most 256 characters.");
}

std::optional<Account> Catalogue::account_where(const char* condition, const auto& value) {
  auto row = db_.query(
      std::string("SELECT id, username, display_name, password_hash, admin FROM accounts WHERE ") +
          condition,
      value);
  if (!row.step()) return std::nullopt;
  return Account{row.integer(0), row.text(1), row.text(2), row.optional_text(3).has_value(),
                 row.integer(4) != 0};
}

Account Catalogue::sign_in(const std::string& username, const std::string& password) {
  auto row = db_.query("SELECT id, password_hash FROM accounts WHERE username = ?", username);
  bool known = row.step();
  if (!password_matches(known ? row.optional_text(1) : std::nullopt, password))
    throw Refusal(Kind::unauthorized, "The username or password is not correct.");
  return *account_where("id = ?", row.integer(0));
}

Caller Catalogue::authenticate(int64_t device, const std::string& secret) {
  auto row = db_.query("SELECT account, secret_digest, name FROM devices WHERE id = ?", device);
  if (!row.step() || !secret_matches(row.optional_text(1), secret))
    throw Refusal(Kind::unauthorized,
                  "This computer’s sign-in is no longer valid; choose Sign In Again.");
  return {*account_where("id = ?", row.integer(0)), device, row.text(2)};
}

Credentials Catalogue::add_device(const Account& account, const std::string& name) {
  Credentials credentials{0, name, random_hex(32)};
  db_.run("INSERT INTO devices (account, name, secret_digest) VALUES (?, ?, ?)", account.id, name,
          digest_of(credentials.secret));
  credentials.device = db_.last_insert_id();
  return credentials;
}

Credentials Catalogue::renew_device(int64_t device, const Account& account) {
  Transaction transaction(db_);
  auto row = db_.query("SELECT account, name FROM devices WHERE id = ?", device);
  if (!row.step() || row.integer(0) != account.id)
    throw Refusal(Kind::forbidden,
                  "This folder belongs to another account; sign in with the account that owns it.");
  Credentials renewed{device, row.text(1), random_hex(32)};
  db_.run("UPDATE devices SET secret_digest = ? WHERE id = ?", digest_of(renewed.secret), device);
  transaction.commit();
  return renewed;
}

Invitation Catalogue::invite(const std::string& username, const ServerRef& server) {
  auto account = account_where("username = ?", username);
  if (!account) throw Failure("There is no account named " + username + " on Quorvane Home.");
  Invitation invitation{server, 0, random_hex(32)};
  db_.run("INSERT INTO invitations (account, secret_digest, created) VALUES (?, ?, ?)", account->id,
          digest_of(invitation.secret), now_seconds());
  invitation.id = db_.last_insert_id();
  return invitation;
}

std::pair<Account, Credentials> Catalogue::accept(int64_t invitation, const std::string& secret,
                                                  const std::string& device_name) {
  Transaction transaction(db_);
  auto row = db_.query("SELECT account, secret_digest, used, created FROM invitations WHERE id = ?",
                       invitation);
  if (!row.step() || !secret_matches(row.optional_text(1), secret))
    throw Refusal(Kind::unauthorized, "This invitation is not valid for Quorvane Home.");
  if (row.integer(2) != 0)
    throw Refusal(Kind::conflict, "This invitation has already been used; ask for a new one.");
  if (now_seconds() - row.real(3) > invitation_lifetime)
    throw Refusal(Kind::conflict, "This invitation has expired; ask for a new one.");
  db_.run("UPDATE invitations SET used = 1 WHERE id = ?", invitation);
  auto paired = *account_where("id = ?", row.integer(0));
  auto credentials = add_device(paired, device_name);
  transaction.commit();
  return {paired, credentials};
}

void Catalogue::create_account(const Caller& caller, const NewAccount& account) {
  if (!caller.account.admin)
    throw Refusal(Kind::forbidden, "Only an administrator can create accounts.");
  check_new_account(account);
  std::string hash = hash_password(account.password);
  Transaction transaction(db_);
  if (account_where("username = ?", account.username))
    throw Refusal(Kind::conflict, "The username " + account.username + " is already taken.");
  db_.run("INSERT INTO accounts (username, display_name, password_hash, admin) VALUES (?, ?, ?, ?)",
          account.username, account.display_name.empty() ? account.username : account.display_name,
          hash, account.admin ? 1 : 0);
  transaction.commit();
}

void Catalogue::change_sign_in(const Caller& caller, const NewAccount& change,
                               const std::string& current_password) {
  check_new_account(change);
  std::string hash = hash_password(change.password);
  Transaction transaction(db_);
  bool had_password = false;
  if (auto old = db_.query("SELECT password_hash FROM accounts WHERE id = ?", caller.account.id);
      old.step() && old.optional_text(0)) {
    had_password = true;
    if (!password_matches(old.optional_text(0), current_password))
      throw Refusal(Kind::unauthorized, "The current password is not correct.");
  }
  if (auto same = account_where("username = ?", change.username);
      same && same->id != caller.account.id)
    throw Refusal(Kind::conflict, "The username " + change.username + " is already taken.");
  db_.run("UPDATE accounts SET username = ?, display_name = ?, password_hash = ? WHERE id = ?",
          change.username,
          change.display_name.empty() ? caller.account.display_name : change.display_name, hash,
          caller.account.id);
  // Whoever knew the old password is signed out everywhere but here.
  if (had_password)
    db_.run("UPDATE devices SET secret_digest = NULL WHERE account = ? AND id != ?",
            caller.account.id, caller.device);
  transaction.commit();
}
