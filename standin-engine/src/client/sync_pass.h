// One pass: compare the folder, the server and what they last agreed on, then
// upload, download, recover and set conflicts aside accordingly. Transfers go in
// batches: one question for which objects the server lacks, one pack with those,
// one request that records the versions; downloads come as one pack per batch
// (sync_transfers.cpp).
//
// A pass trusts a file's stat only when its content was read after the file
// last changed by more than the file system's timestamps can tell apart; other
// files are read again at the next pass, and every file's content once a day,
// a few each pass. A local file is replaced or removed without a copy only when
// the server holds its content; otherwise it is kept in .quorvane/recovered.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "folder_scan.h"
#include "local_base.h"
#include "remote.h"

struct PassReport {
  int uploaded = 0;       // versions recorded from here
  int deleted_there = 0;  // deletions recorded from here
  int downloaded = 0;
  int deleted_here = 0;  // deleted elsewhere, and so here
  int recovered = 0;
  int conflicts = 0;
  int resent = 0;  // contents sent again for a damaged copy on the server
  int failed = 0;
  std::string first_failure;  // "path: why"
  bool again = false;         // conflict copies were made; the next pass uploads them
};

// The server no longer has a revision this computer synced as it was synced:
// restored from an older backup, or a stale copy answers. The sentence for the
// status; the detail for the log.
struct ServerWentBack : Failure {
  explicit ServerWentBack(const std::string& detail)
      : Failure(
            "Quorvane Home went back to an older state; nothing syncs until you rejoin (see the "
            "README)."),
        detail(detail) {}
  std::string detail;
};

class SyncPass {
 public:
  SyncPass(Remote& remote, const Credentials& device, const fs::path& folder, LocalBase& base);
  // on_changes hears how many files are about to change, before the first does.
  PassReport run(const std::function<void(size_t)>& on_changes);

 private:
  enum class Step {
    upload,
    delete_on_server,
    download,
    take_mode,
    remove_here,
    resolve,
    forget,
    note,
    resend
  };
  // A file's content as read, its stat, and when it was read (0: read it again).
  struct Examined {
    std::string object;
    LocalFile file;
    int64_t checked = 0;
  };
  struct Upload {
    NewVersion version;
    LocalFile file;
    int64_t checked = 0;
    bool record = true;  // false: only the content, for the server's damaged copy
    bool held = false;   // the server holds the content: a new mode only
  };
  struct Download {
    std::string path;
    RemoteVersion version;
    bool keep_local = false;  // the file it replaces, which the server does not hold
  };

  std::optional<Step> decide(const LocalFile* here, const BaseEntry* agreed,
                             const RemoteVersion* there, bool read_again) const;
  void perform(Step step, const std::string& path);
  void fail(const std::string& path, const std::string& why);
  // The file's content and stat, or none when it changed while being read.
  std::optional<Examined> examine(const std::string& path);
  void upload(const std::string& path, int64_t expected_revision);
  void send(const std::string& path, int64_t expected_revision, const Examined& examined);
  void remove_here(const std::string& path);
  void resolve(const std::string& path, const RemoteVersion& version);
  void take_mode(const std::string& path, const RemoteVersion& version);
  void resend(const std::string& path, const Examined& examined);
  void send_uploads();
  void fetch_downloads();
  void place(const Download& download, TempFile& content);
  // Runs a batch step; a failure of the batch counts for each of its files.
  void batch(size_t files, const std::function<void()>& step);
  bool held_by_server(const std::string& path) const;

  Remote& remote_;
  const Credentials& device_;
  fs::path folder_;
  LocalBase& base_;
  FolderScan local_;
  std::map<std::string, BaseEntry> agreed_;
  std::map<std::string, RemoteVersion> remote_versions_;
  std::set<std::string> wanted_;
  std::vector<Upload> uploads_;
  uint64_t upload_bytes_ = 0;
  std::vector<Download> downloads_;
  uint64_t download_bytes_ = 0;
  PassReport report_;
};

// The permission bits a file arrives with: its own, as the umask here allows;
// those of a new file here when the version carries none.
mode_t arrival_mode(const std::optional<int64_t>& mode);
