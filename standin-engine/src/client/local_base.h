// What this folder last agreed with the server on, per file: the revision, the
// object, the file's size, time, inode and permission bits at that moment, and
// when its content was last read. A file whose stat differs has been changed
// here; a revision that differs was made elsewhere. Beside it, the server's
// latest versions as last heard and the revision they were heard at, so that a
// pass asks only for what changed since, and the latest revision this computer
// knows the content of, to tell a server that went back in time.
#pragma once

#include <cstdint>
#include <functional>
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
  int64_t mode = 0;  // permission bits; 0 in entries from before they travelled
  bool operator==(const LocalFile&) const = default;
};

struct BaseEntry {
  int64_t revision = 0;
  std::string object;
  LocalFile file;
  // Seconds since 1970 when the content was last read; 0 when it must be read
  // again at the next pass, because it changed too recently for its time to tell.
  int64_t checked = 0;
};

class LocalBase {
 public:
  // Kept in .quorvane/base.sqlite; forgotten when the folder is now synced for
  // another server or device, whose revisions mean nothing here.
  LocalBase(const fs::path& folder, const std::string& server, int64_t device);
  std::map<std::string, BaseEntry> load();
  std::map<std::string, RemoteVersion> load_remote();
  int64_t heard_up_to();
  std::optional<Landmark> landmark();
  // The server's changes, with the revision they reach, in one transaction.
  void hear(const Changes& changes);
  // Changes wait for commit(), which writes them in one transaction.
  void stage(const std::string& path, std::optional<BaseEntry> entry);
  void stage_landmark(const Landmark& landmark);
  void commit();
  // After the server went back in time: an agreement it no longer has as it was
  // becomes this folder's news (revision -1), read again at the next pass and
  // sent as a new version where the server's differs. The server's versions are
  // heard anew.
  void rejoin(const std::function<bool(const std::string& path, const BaseEntry&)>& server_has);

 private:
  // The staged landmark, when it is later than the one kept; inside a transaction.
  void write_landmark();

  Database db_;
  std::map<std::string, std::optional<BaseEntry>> staged_;
  std::optional<Landmark> landmark_;
};
