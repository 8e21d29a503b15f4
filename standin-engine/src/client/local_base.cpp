#include "local_base.h"

LocalBase::LocalBase(const fs::path& folder, const std::string& server, int64_t device)
    : db_(folder / ".quorvane" / "base.sqlite", Database::Create::yes) {
  db_.execute(
      "CREATE TABLE IF NOT EXISTS base (path TEXT PRIMARY KEY, revision INTEGER NOT NULL, "
      "object TEXT NOT NULL, size INTEGER NOT NULL, mtime INTEGER NOT NULL, inode INTEGER NOT "
      "NULL) WITHOUT ROWID;"
      "CREATE TABLE IF NOT EXISTS remote (path TEXT PRIMARY KEY, revision INTEGER NOT NULL, "
      "object TEXT, size INTEGER NOT NULL) WITHOUT ROWID;"
      "CREATE TABLE IF NOT EXISTS owner (server TEXT NOT NULL, device INTEGER NOT NULL, "
      "heard INTEGER NOT NULL)");
  Transaction transaction(db_);
  if (auto owner = db_.query("SELECT 1 FROM owner WHERE server = ? AND device = ?", server, device);
      !owner.step()) {
    db_.execute("DELETE FROM base; DELETE FROM remote; DELETE FROM owner");
    db_.run("INSERT INTO owner (server, device, heard) VALUES (?, ?, 0)", server, device);
  }
  transaction.commit();
}

std::map<std::string, BaseEntry> LocalBase::load() {
  std::map<std::string, BaseEntry> entries;
  auto rows = db_.query("SELECT path, revision, object, size, mtime, inode FROM base");
  while (rows.step())
    entries.emplace_hint(
        entries.end(), rows.text(0),
        BaseEntry{
            rows.integer(1), rows.text(2), {rows.integer(3), rows.integer(4), rows.integer(5)}});
  return entries;
}

std::map<std::string, RemoteVersion> LocalBase::load_remote() {
  std::map<std::string, RemoteVersion> versions;
  auto rows = db_.query("SELECT path, revision, object, size FROM remote");
  while (rows.step())
    versions.emplace_hint(versions.end(), rows.text(0),
                          RemoteVersion{rows.integer(1), rows.optional_text(2), rows.integer(3)});
  return versions;
}

int64_t LocalBase::heard_up_to() {
  auto row = db_.query("SELECT heard FROM owner");
  return row.step() ? row.integer(0) : 0;
}

void LocalBase::hear(const Changes& changes) {
  if (changes.files.empty() && changes.latest == heard_up_to()) return;
  Transaction transaction(db_);
  for (const auto& [path, version] : changes.files)
    db_.run("INSERT OR REPLACE INTO remote (path, revision, object, size) VALUES (?, ?, ?, ?)",
            path, version.revision, version.object, version.size);
  db_.run("UPDATE owner SET heard = ?", changes.latest);
  transaction.commit();
}

void LocalBase::stage(const std::string& path, std::optional<BaseEntry> entry) {
  staged_[path] = std::move(entry);
}

void LocalBase::commit() {
  if (staged_.empty()) return;
  Transaction transaction(db_);
  for (const auto& [path, entry] : staged_) {
    if (!entry) {
      db_.run("DELETE FROM base WHERE path = ?", path);
      continue;
    }
    db_.run(
        "INSERT OR REPLACE INTO base (path, revision, object, size, mtime, inode) "
        "VALUES (?, ?, ?, ?, ?, ?)",
        path, entry->revision, entry->object, entry->file.size, entry->file.mtime,
        entry->file.inode);
  }
  transaction.commit();
  staged_.clear();
}
