// One pass: compare the folder, the server and what they last agreed on, then
// upload, download, recover and set conflicts aside accordingly. Transfers go in
// batches: one question for which objects the server lacks, one pack with those,
// one request that records the versions; downloads come as one pack per batch.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "local_base.h"
#include "remote.h"

struct PassReport {
  int uploaded = 0;
  int downloaded = 0;
  int recovered = 0;
  int conflicts = 0;
  int failed = 0;
  bool again = false;  // conflict copies were made; the next pass uploads them
};

class SyncPass {
 public:
  SyncPass(Remote& remote, const Credentials& device, const fs::path& folder, LocalBase& base);
  // on_changes hears how many files are about to change, before the first does.
  PassReport run(const std::function<void(size_t)>& on_changes);

 private:
  enum class Step { upload, delete_on_server, download, remove_here, resolve, forget };
  struct Upload {
    NewVersion version;
    LocalFile file;
  };
  struct Download {
    std::string path;
    RemoteVersion version;
  };

  static std::optional<Step> decide(const LocalFile* here, const BaseEntry* agreed,
                                    const RemoteVersion* there);
  void perform(Step step, const std::string& path);
  // The file's digest and stat, or none when it changed while being read.
  std::optional<std::pair<std::string, LocalFile>> examine(const std::string& path);
  void upload(const std::string& path, int64_t expected_revision);
  void remove_here(const std::string& path);
  void resolve(const std::string& path, const RemoteVersion& version);
  void send_uploads();
  void fetch_downloads();
  void place(const Download& download, TempFile& content);
  // Runs a batch step; a failure of the batch counts for each of its files.
  void batch(size_t files, const std::function<void()>& step);

  Remote& remote_;
  const Credentials& device_;
  fs::path folder_;
  LocalBase& base_;
  std::map<std::string, LocalFile> local_;
  std::map<std::string, BaseEntry> agreed_;
  std::map<std::string, RemoteVersion> remote_versions_;
  std::vector<Upload> uploads_;
  uint64_t upload_bytes_ = 0;
  std::vector<Download> downloads_;
  uint64_t download_bytes_ = 0;
  PassReport report_;
};
