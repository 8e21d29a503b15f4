// What this folder last agreed with the server on, per file: the revision, the
// object, and the file's size, time and inode at that moment. A file whose stat
// differs has been changed here; a revision that differs was made elsewhere.
// Beside it, the server's latest versions as last heard and the revision they
// were heard at, so that a pass asks only for what changed since.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "database.h"
#include "files.h"
#include "remote.h"

struct LocalFile {
  int64_t size = 0;
  int64_t mtime = 0;  // nanoseconds
  int64_t inode = 0;
  bool operator==(const LocalFile&) const = default;
};

struct BaseEntry {
  int64_t revision = 0;
  std::string object;
  LocalFile file;
};

class LocalBase {
 public:
  // Kept in .quorvane/base.sqlite; forgotten when the folder is now synced for
  // another server or device, whose revisions mean nothing here.
  LocalBase(const fs::path& folder, const std::string& server, int64_t device);
  std::map<std::string, BaseEntry> load();
  std::map<std::string, RemoteVersion> load_remote();
  int64_t heard_up_to();
  // The server's changes, with the revision they reach, in one transaction.
  void hear(const Changes& changes);
  // Changes wait for commit(), which writes them in one transaction.
  void stage(const std::string& path, std::optional<BaseEntry> entry);
  void commit();

 private:
  Database db_;
  std::map<std::string, std::optional<BaseEntry>> staged_;
};
