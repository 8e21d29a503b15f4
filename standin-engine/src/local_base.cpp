#include "local_base.h"

LocalBase::LocalBase(const fs::path& folder, const std::string& server, int64_t account)
    : db_(folder / ".quorvane" / "base.sqlite", Database::Create::yes) {
  db_.execute(
      "CREATE TABLE IF NOT EXISTS base (path TEXT PRIMARY KEY, revision INTEGER NOT NULL, "
      "object TEXT NOT NULL, size INTEGER NOT NULL, mtime INTEGER NOT NULL, inode INTEGER NOT "
      "NULL);"
      "CREATE TABLE IF NOT EXISTS owner (server TEXT NOT NULL, account INTEGER NOT NULL)");
  Transaction transaction(db_);
  if (auto owner =
          db_.query("SELECT 1 FROM owner WHERE server = ? AND account = ?", server, account);
      !owner.step()) {
    db_.execute("DELETE FROM base; DELETE FROM owner");
    db_.run("INSERT INTO owner (server, account) VALUES (?, ?)", server, account);
  }
  transaction.commit();
}

std::map<std::string, BaseEntry> LocalBase::load() {
  std::map<std::string, BaseEntry> entries;
  auto rows = db_.query("SELECT path, revision, object, size, mtime, inode FROM base");
  while (rows.step())
    entries[rows.text(0)] = {
        rows.integer(1), rows.text(2), {rows.integer(3), rows.integer(4), rows.integer(5)}};
  return entries;
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
