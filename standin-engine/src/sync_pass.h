// One pass: compare the folder, the server and what they last agreed on, then
// upload, download, recover and set conflicts aside accordingly.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "local_base.h"
#include "server.h"

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
  SyncPass(Server& server, const Account& account, const Credentials& device,
           const fs::path& folder, LocalBase& base);
  // on_changes hears how many files are about to change, before the first does.
  PassReport run(const std::function<void(size_t)>& on_changes);

 private:
  enum class Step { upload, delete_on_server, download, remove_here, resolve, forget };
  struct Upload {
    std::string path;
    int64_t expected_revision = 0;  // the server's latest revision when the pass looked
    std::optional<std::string> object;
    LocalFile file;
  };

  std::optional<Step> decide(const std::string& path) const;
  void perform(Step step, const std::string& path);
  // The file's content as an object, or none when it changed while being read.
  std::optional<std::pair<std::string, LocalFile>> store(const std::string& path);
  void upload(const std::string& path, int64_t expected_revision);
  void download(const std::string& path, const Version& version);
  void remove_here(const std::string& path);
  void resolve(const std::string& path, const Version& version);
  void queue(Upload upload);
  void flush();

  Server& server_;
  const Account& account_;
  const Credentials& device_;
  fs::path folder_;
  LocalBase& base_;
  std::map<std::string, LocalFile> local_;
  std::map<std::string, BaseEntry> agreed_;
  std::map<std::string, Version> remote_;
  std::vector<Upload> uploads_;
  int unflushed_ = 0;
  bool downloaded_ = false;
  PassReport report_;
};
