#include "cli.h"
#include "server.h"

namespace {

constexpr const char* catalogue_name = "catalogue.sqlite";
constexpr int schema_version = 1;

constexpr const char* schema = R"(
  CREATE TABLE server (id TEXT NOT NULL);
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
    used INTEGER NOT NULL DEFAULT 0);
  CREATE TABLE versions (
    revision INTEGER PRIMARY KEY AUTOINCREMENT,
    account INTEGER NOT NULL REFERENCES accounts (id),
    path TEXT NOT NULL,
    object TEXT,                 -- NULL records a deletion
    size INTEGER NOT NULL,
    time REAL NOT NULL,
    device TEXT NOT NULL);
  CREATE INDEX versions_by_path ON versions (account, path, revision);
  PRAGMA user_version = 1;
)";

constexpr const char* version_columns = "revision, path, object, size, time, device";

Version version_of(const Statement& row) {
  return {row.integer(0), row.text(1), row.optional_text(2),
          row.integer(3), row.real(4), row.text(5)};
}

}  // namespace

ServerRef Server::create(const fs::path& folder, const NewAccount& admin) {
  check_new_account(admin);
  std::error_code error;
  if (fs::exists(folder) && !fs::is_empty(folder, error))
    throw Failure(folder.string() + " is not empty; a new server needs an empty folder.");
  for (const char* part : {"objects", "tmp"}) {
    if (fs::create_directories(folder / part, error); error)
      throw Failure("Could not create " + (folder / part).string() + ": " + error.message() + ".");
  }
  ServerRef ref{fs::absolute(folder).lexically_normal(), random_hex(16)};
  // Built under another name, so that a half-made server is never taken for one.
  fs::path building = folder / "catalogue.sqlite.new";
  {
    Database db(building, Database::Create::yes);
    db.execute(schema);
    db.run("INSERT INTO server (id) VALUES (?)", ref.id);
  }
  fs::rename(building, folder / catalogue_name);
  Server(ref).create_account(admin);
  return ref;
}

Server::Server(const ServerRef& server)
    : ref_(server),
      catalogue_([&] {
        if (!fs::exists(server.folder / catalogue_name))
          throw Unreachable("Quorvane Home cannot be reached at " + server.folder.string() + ".");
        return Database(server.folder / catalogue_name, Database::Create::no);
      }()),
      objects_(server.folder) {
  auto found =
      catalogue_.query("SELECT id, (SELECT user_version FROM pragma_user_version) FROM server");
  // An empty id (an administrator naming the folder itself) takes the server found there.
  if (!found.step() || (!server.id.empty() && found.text(0) != server.id))
    throw Failure(server.folder.string() + " holds another Quorvane server than this computer’s.");
  ref_.id = found.text(0);
  if (found.integer(1) != schema_version)
    throw Failure("Quorvane Home was made by another version of Quorvane.");
}

std::map<std::string, Version> Server::current_versions(int64_t account) {
  // SQLite takes the bare columns from the row that holds the maximum.
  auto rows = catalogue_.query(
      "SELECT MAX(revision), path, object, size, time, device FROM versions "
      "WHERE account = ? GROUP BY path",
      account);
  std::map<std::string, Version> current;
  while (rows.step()) current[rows.text(1)] = version_of(rows);
  return current;
}

std::vector<Version> Server::history(int64_t account) {
  auto rows = catalogue_.query(std::string("SELECT ") + version_columns +
                                   " FROM versions WHERE account = ? ORDER BY revision",
                               account);
  std::vector<Version> versions;
  while (rows.step()) versions.push_back(version_of(rows));
  return versions;
}

std::optional<Version> Server::version(int64_t account, int64_t revision) {
  auto row = catalogue_.query(std::string("SELECT ") + version_columns +
                                  " FROM versions WHERE account = ? AND revision = ?",
                              account, revision);
  if (!row.step()) return std::nullopt;
  return version_of(row);
}

int64_t Server::latest_revision(int64_t account, const std::string& path) {
  auto row = catalogue_.query(
      "SELECT IFNULL(MAX(revision), 0) FROM versions WHERE account = ? AND path = ?", account,
      path);
  row.step();
  return row.integer(0);
}

int64_t Server::add_version(int64_t account, const Version& version) {
  catalogue_.run(
      "INSERT INTO versions (account, path, object, size, time, device) VALUES (?, ?, ?, ?, ?, ?)",
      account, version.path, version.object, version.size, now_seconds(), version.device);
  return catalogue_.last_insert_id();
}
