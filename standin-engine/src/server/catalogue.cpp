#include "catalogue.h"

#include "cli.h"
#include "files.h"

namespace {

constexpr int schema_version = 3;

constexpr const char* schema = R"(
  CREATE TABLE server (id TEXT NOT NULL, address TEXT NOT NULL);
  CREATE TABLE accounts (
    id INTEGER PRIMARY KEY,
    username TEXT NOT NULL UNIQUE COLLATE NOCASE,
    display_name TEXT NOT NULL,
    password_hash TEXT,          -- a crypto_pwhash string; NULL until one is set
    admin INTEGER NOT NULL);
  CREATE TABLE devices (
    id INTEGER PRIMARY KEY,
    account INTEGER NOT NULL REFERENCES accounts (id),
    name TEXT NOT NULL,
    secret_digest TEXT);         -- NULL once signed out
  CREATE TABLE invitations (
    id INTEGER PRIMARY KEY,
    account INTEGER NOT NULL REFERENCES accounts (id),
    secret_digest TEXT NOT NULL,
    used INTEGER NOT NULL DEFAULT 0,
    created REAL NOT NULL DEFAULT 0);
  CREATE TABLE versions (
    revision INTEGER PRIMARY KEY AUTOINCREMENT,
    account INTEGER NOT NULL REFERENCES accounts (id),
    path TEXT NOT NULL,
    object TEXT,                 -- NULL records a deletion
    size INTEGER NOT NULL,
    time REAL NOT NULL,
    device TEXT NOT NULL,
    mode INTEGER);               -- permission bits; NULL from before they travelled
  CREATE INDEX versions_by_path ON versions (account, path, revision);
  CREATE INDEX versions_by_revision ON versions (account, revision);
  CREATE TABLE stored (
    account INTEGER NOT NULL REFERENCES accounts (id),
    object TEXT NOT NULL,
    PRIMARY KEY (account, object)) WITHOUT ROWID;
  PRAGMA user_version = 3;
)";

// From the catalogue of the first network server: permission bits per version,
// and invitations that expire (those made before count from the upgrade).
constexpr const char* upgrade_from_2 = R"(
  ALTER TABLE versions ADD COLUMN mode INTEGER;
  ALTER TABLE invitations ADD COLUMN created REAL NOT NULL DEFAULT 0;
  UPDATE invitations SET created = unixepoch();
  PRAGMA user_version = 3;
)";

constexpr const char* version_columns = "revision, path, object, size, time, device, mode";

Version version_of(const Statement& row) {
  return {row.integer(0), row.text(1), row.optional_text(2),   row.integer(3),
          row.real(4),    row.text(5), row.optional_integer(6)};
}

int64_t schema_of(Database& db) {
  auto row = db.query("SELECT user_version FROM pragma_user_version");
  row.step();
  return row.integer(0);
}

}  // namespace

std::string Catalogue::create(const fs::path& data, const std::string& address,
                              const NewAccount& admin) {
  check_new_account(admin);
  std::string id = random_hex(16);
  // Built under another name, so that a half-made catalogue is never taken for one.
  fs::path building = data / "catalogue.sqlite.new";
  {
    Database db(building, Database::Create::yes, Database::Journal::write_ahead);
    Transaction transaction(db);
    db.execute(schema);
    db.run("INSERT INTO server (id, address) VALUES (?, ?)", id, address);
    transaction.commit();
  }
  fs::rename(building, data / file_name);
  Catalogue catalogue(data);
  Caller nobody{Account{0, "", "", false, true}, 0, ""};
  catalogue.create_account(nobody, admin);
  return id;
}

Catalogue::Catalogue(const fs::path& data)
    : db_([&] {
        if (!fs::exists(data / file_name))
          throw Failure(data.string() +
                        " holds no Quorvane Home; make one with “quorvane-server init”.");
        return Database(data / file_name, Database::Create::no, Database::Journal::write_ahead);
      }()) {
  if (schema_of(db_) == 2) {
    Transaction transaction(db_);
    if (schema_of(db_) == 2) db_.execute(upgrade_from_2);
    transaction.commit();
  }
  auto found = db_.query("SELECT id, address FROM server");
  if (!found.step() || schema_of(db_) != schema_version)
    throw Failure(data.string() + " was made by another version of Quorvane.");
  server_id_ = found.text(0);
  address_ = found.text(1);
}

std::vector<Version> Catalogue::changes(int64_t account, int64_t since) {
  // SQLite takes the bare columns from the row that holds the maximum.
  auto rows = db_.query(
      "SELECT MAX(revision), path, object, size, time, device, mode FROM versions "
      "WHERE account = ? AND path IN (SELECT path FROM versions WHERE account = ? AND revision > "
      "?) "
      "GROUP BY path",
      account, account, since);
  std::vector<Version> changed;
  while (rows.step()) changed.push_back(version_of(rows));
  return changed;
}

int64_t Catalogue::latest_revision(int64_t account) {
  auto row = db_.query("SELECT IFNULL(MAX(revision), 0) FROM versions WHERE account = ?", account);
  row.step();
  return row.integer(0);
}

std::vector<Version> Catalogue::history(int64_t account) {
  auto rows = db_.query(std::string("SELECT ") + version_columns +
                            " FROM versions WHERE account = ? ORDER BY revision",
                        account);
  std::vector<Version> versions;
  while (rows.step()) versions.push_back(version_of(rows));
  return versions;
}

std::optional<Version> Catalogue::version(int64_t account, int64_t revision) {
  auto row = db_.query(std::string("SELECT ") + version_columns +
                           " FROM versions WHERE account = ? AND revision = ?",
                       account, revision);
  if (!row.step()) return std::nullopt;
  return version_of(row);
}

int64_t Catalogue::add_version(const Caller& caller, const ProposedVersion& version) {
  db_.run(
      "INSERT INTO versions (account, path, object, size, time, device, mode) "
      "VALUES (?, ?, ?, ?, ?, ?, ?)",
      caller.account.id, version.path, version.object, version.size, now_seconds(),
      caller.device_name, version.mode);
  return db_.last_insert_id();
}

std::vector<int64_t> Catalogue::record(const Caller& caller,
                                       const std::vector<ProposedVersion>& versions) {
  std::vector<int64_t> revisions;
  Transaction transaction(db_);
  for (const auto& proposed : versions) {
    auto latest =
        db_.query("SELECT IFNULL(MAX(revision), 0) FROM versions WHERE account = ? AND path = ?",
                  caller.account.id, proposed.path);
    latest.step();
    bool current = latest.integer(0) == proposed.expected_revision;
    bool whole = !proposed.object || holds(caller.account.id, *proposed.object);
    revisions.push_back(current && whole ? add_version(caller, proposed) : 0);
  }
  transaction.commit();
  return revisions;
}

int64_t Catalogue::restore(const Caller& caller, const Version& version) {
  Transaction transaction(db_);
  int64_t revision =
      add_version(caller, {version.path, 0, version.object, version.size, version.mode});
  transaction.commit();
  return revision;
}

bool Catalogue::holds(int64_t account, const std::string& object) {
  return db_.query("SELECT 1 FROM stored WHERE account = ? AND object = ?", account, object).step();
}

void Catalogue::note_stored(int64_t account, const std::vector<std::string>& objects) {
  Transaction transaction(db_);
  for (const auto& object : objects)
    db_.run("INSERT OR IGNORE INTO stored (account, object) VALUES (?, ?)", account, object);
  transaction.commit();
}
