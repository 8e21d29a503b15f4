#include "local_base.h"

namespace {

constexpr const char* schema = R"(
  CREATE TABLE base (path TEXT PRIMARY KEY, revision INTEGER NOT NULL, object TEXT NOT NULL,
    size INTEGER NOT NULL, mtime INTEGER NOT NULL, inode INTEGER NOT NULL,
    mode INTEGER NOT NULL, checked INTEGER NOT NULL) WITHOUT ROWID;
  CREATE TABLE remote (path TEXT PRIMARY KEY, revision INTEGER NOT NULL, object TEXT,
    size INTEGER NOT NULL, mode INTEGER) WITHOUT ROWID;
  CREATE TABLE owner (server TEXT NOT NULL, device INTEGER NOT NULL, heard INTEGER NOT NULL);
  CREATE TABLE landmark (revision INTEGER NOT NULL, path TEXT NOT NULL, object TEXT);
  PRAGMA user_version = 1;
)";

// A base from before permission bits travelled: their modes are not known yet,
// and their contents count as read now.
constexpr const char* upgrade_from_0 = R"(
  ALTER TABLE base ADD COLUMN mode INTEGER NOT NULL DEFAULT 0;
  ALTER TABLE base ADD COLUMN checked INTEGER NOT NULL DEFAULT 0;
  UPDATE base SET checked = unixepoch();
  ALTER TABLE remote ADD COLUMN mode INTEGER;
  CREATE TABLE landmark (revision INTEGER NOT NULL, path TEXT NOT NULL, object TEXT);
  PRAGMA user_version = 1;
)";

}  // namespace

LocalBase::LocalBase(const fs::path& folder, const std::string& server, int64_t device)
    : db_(folder / ".quorvane" / "base.sqlite", Database::Create::yes) {
  Transaction transaction(db_);
  auto version = db_.query("SELECT user_version FROM pragma_user_version");
  if (version.step() && version.integer(0) == 0) {
    bool old = db_.query("SELECT 1 FROM sqlite_schema WHERE name = 'base'").step();
    db_.execute(old ? upgrade_from_0 : schema);
  }
  if (auto owner = db_.query("SELECT 1 FROM owner WHERE server = ? AND device = ?", server, device);
      !owner.step()) {
    db_.execute("DELETE FROM base; DELETE FROM remote; DELETE FROM owner; DELETE FROM landmark");
    db_.run("INSERT INTO owner (server, device, heard) VALUES (?, ?, 0)", server, device);
  }
  transaction.commit();
}

std::map<std::string, BaseEntry> LocalBase::load() {
  std::map<std::string, BaseEntry> entries;
  auto rows =
      db_.query("SELECT path, revision, object, size, mtime, inode, mode, checked FROM base");
  while (rows.step())
    entries.emplace_hint(
        entries.end(), rows.text(0),
        BaseEntry{rows.integer(1),
                  rows.text(2),
                  {rows.integer(3), rows.integer(4), rows.integer(5), rows.integer(6)},
                  rows.integer(7)});
  return entries;
}

std::map<std::string, RemoteVersion> LocalBase::load_remote() {
  std::map<std::string, RemoteVersion> versions;
  auto rows = db_.query("SELECT path, revision, object, size, mode FROM remote");
  while (rows.step())
    versions.emplace_hint(versions.end(), rows.text(0),
                          RemoteVersion{rows.integer(1), rows.optional_text(2), rows.integer(3),
                                        rows.optional_integer(4)});
  return versions;
}

int64_t LocalBase::heard_up_to() {
  auto row = db_.query("SELECT heard FROM owner");
  return row.step() ? row.integer(0) : 0;
}

std::optional<Landmark> LocalBase::landmark() {
  auto row = db_.query("SELECT revision, path, object FROM landmark");
  if (!row.step()) return std::nullopt;
  return Landmark{row.integer(0), row.text(1), row.optional_text(2)};
}

void LocalBase::hear(const Changes& changes) {
  if (changes.files.empty() && changes.latest == heard_up_to()) return;
  Transaction transaction(db_);
  for (const auto& [path, version] : changes.files) {
    db_.run(
        "INSERT OR REPLACE INTO remote (path, revision, object, size, mode) VALUES (?, ?, ?, ?, ?)",
        path, version.revision, version.object, version.size, version.mode);
    stage_landmark({version.revision, path, version.object});
  }
  db_.run("UPDATE owner SET heard = ?", changes.latest);
  write_landmark();
  transaction.commit();
}

void LocalBase::stage(const std::string& path, std::optional<BaseEntry> entry) {
  staged_[path] = std::move(entry);
}

void LocalBase::stage_landmark(const Landmark& landmark) {
  if (!landmark_ || landmark.revision > landmark_->revision) landmark_ = landmark;
}

void LocalBase::write_landmark() {
  auto stored = landmark_ ? landmark() : std::nullopt;
  if (landmark_ && landmark_->revision > (stored ? stored->revision : 0)) {
    db_.execute("DELETE FROM landmark");
    db_.run("INSERT INTO landmark (revision, path, object) VALUES (?, ?, ?)", landmark_->revision,
            landmark_->path, landmark_->object);
  }
  landmark_.reset();
}

void LocalBase::commit() {
  if (staged_.empty() && !landmark_) return;
  Transaction transaction(db_);
  for (const auto& [path, entry] : staged_) {
    if (!entry) {
      db_.run("DELETE FROM base WHERE path = ?", path);
      continue;
    }
    db_.run(
        "INSERT OR REPLACE INTO base (path, revision, object, size, mtime, inode, mode, checked) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
        path, entry->revision, entry->object, entry->file.size, entry->file.mtime,
        entry->file.inode, entry->file.mode, entry->checked);
  }
  write_landmark();
  transaction.commit();
  staged_.clear();
}

void LocalBase::rejoin(
    const std::function<bool(const std::string& path, const BaseEntry&)>& server_has) {
  auto entries = load();
  Transaction transaction(db_);
  for (const auto& [path, entry] : entries)
    if (!server_has(path, entry))
      db_.run("UPDATE base SET revision = -1, checked = 0 WHERE path = ?", path);
  db_.execute("DELETE FROM remote; DELETE FROM landmark; UPDATE owner SET heard = 0");
  transaction.commit();
}
