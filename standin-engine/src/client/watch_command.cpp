// watch: a pass every five seconds until a stop signal. "--once" makes one pass
// and exits with 0 only when everything is in sync (for tests and scripts).
// rejoin: what a person runs to go on with a server that went back in time, or
// with a folder that lost its mark: the next pass merges folder and server anew.
#include <fcntl.h>
#include <sys/file.h>

#include <chrono>
#include <iostream>
#include <set>
#include <thread>
#include <tuple>

#include "cli.h"
#include "commands.h"
#include "folder_identity.h"
#include "local_base.h"
#include "local_folder.h"
#include "sync_pass.h"

namespace {

// False when a stop signal cut the pause short.
bool pause(int seconds) {
  for (int tenth = 0; tenth < seconds * 10 && !stop_requested(); ++tenth)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return !stop_requested();
}

// One watch per configuration: two would race each other's renames. Kept beside
// the configuration, so that nothing stays open in the sync folder between
// passes and its disk can be unmounted.
Descriptor lock_configuration(const fs::path& config) {
  fs::path file = config;
  Descriptor lock = open_file(file += ".lock", O_RDWR | O_CREAT, 0600);
  if (::flock(lock.get(), LOCK_EX | LOCK_NB) != 0)
    throw Failure("Another sync is already running for " + config.string() + ".");
  return lock;
}

std::string files(int number) {
  return std::to_string(number) + (number == 1 ? " file" : " files");
}

// What a pass did, in words; empty when it did nothing.
std::string summary(const PassReport& report) {
  std::string text;
  for (const auto& [number, what] : {std::pair{report.uploaded, "uploaded"},
                                     {report.deleted_there, "deleted on Quorvane Home"},
                                     {report.downloaded, "downloaded"},
                                     {report.deleted_here, "deleted here"},
                                     {report.recovered, "moved to recovery"},
                                     {report.conflicts, "in conflict"},
                                     {report.resent, "sent again"},
                                     {report.failed, "failed"}})
    if (number) text += (text.empty() ? "" : ", ") + std::to_string(number) + " " + what;
  return text.empty() ? text : text + ".";
}

class Watcher {
 public:
  Watcher(ClientConfig& config, const fs::path& config_file)
      : config_(config), config_file_(config_file) {
    set_copy_heartbeat([this] { write_status(config_.folder, "syncing", progress_); });
  }

  // Returns true when the folder and the server agree.
  bool sync() {
    try {
      return sync_or_throw();
    } catch (const std::exception& failure) {
      if (failure.what() != last_problem_) {
        log_line(failure.what());
        if (auto* back = dynamic_cast<const ServerWentBack*>(&failure)) log_line(back->detail);
      }
      last_problem_ = failure.what();
      tell("waiting", failure.what());
      return false;
    }
  }

 private:
  // The status, even for a folder that lost its mark, if it is there at all.
  void tell(const std::string& state, const std::string& message) {
    try {
      std::error_code error;
      if (!fs::is_directory(config_.folder, error)) return;
      make_private_folder(config_.folder / meta_folder);
      make_private_folder(config_.folder / meta_folder / "tmp");
      write_status(config_.folder, state, message);
    } catch (const std::exception& failure) {
      log_line(failure.what());
    }
  }

  // The folder must carry this configuration's mark. A configuration from before
  // marks adopts the folder it has synced, or the mark already there.
  void check_folder() {
    if (config_.folder_id.empty()) {
      auto mark = folder_mark(config_.folder);
      if (!mark && !fs::exists(config_.folder / meta_folder / "base.sqlite"))
        folder_missing(config_.folder);
      config_.folder_id = mark_folder(config_.folder, mark.value_or(""));
      write_client_config(config_file_, config_);
    }
    check_folder_mark(config_.folder, config_.folder_id);
    make_private_folder(config_.folder / meta_folder);
    make_private_folder(config_.folder / meta_folder / "tmp");
    if (!cleaned_) {  // transfers a stopped watch left behind
      for (const auto& leftover : fs::directory_iterator(config_.folder / meta_folder / "tmp"))
        fs::remove(leftover.path());
      cleaned_ = true;
    }
  }

  bool sync_or_throw() {
    check_folder();
    Remote remote(config_.server, &config_.device);
    LocalBase base(config_.folder, config_.server.id, config_.device.device);
    PassReport total;
    bool again = true;
    // A pass that set conflicting copies aside is followed at once by one that uploads them.
    for (int round = 0; again && round < 3; ++round) {
      SyncPass pass(remote, config_.device, config_.folder, base);
      PassReport report = pass.run([&](size_t changes) {
        progress_ = "Syncing " + files(static_cast<int>(changes)) + "…";
        write_status(config_.folder, "syncing", progress_);
      });
      for (auto [sum, part] : {std::pair{&total.uploaded, report.uploaded},
                               {&total.deleted_there, report.deleted_there},
                               {&total.downloaded, report.downloaded},
                               {&total.deleted_here, report.deleted_here},
                               {&total.recovered, report.recovered},
                               {&total.conflicts, report.conflicts},
                               {&total.resent, report.resent}})
        *sum += part;
      total.failed = report.failed;
      total.first_failure = report.first_failure;
      again = report.again;
    }
    if (std::string done = summary(total); !done.empty()) log_line(done);
    last_problem_.clear();
    if (total.failed == 1) {
      write_status(config_.folder, "incomplete", total.first_failure);
      return false;
    }
    if (total.failed) {
      write_status(config_.folder, "incomplete",
                   files(total.failed) +
                       " could not be synced; see the log. The first: " + total.first_failure);
      return false;
    }
    write_status(config_.folder, "synced", "Up to date with Quorvane Home");
    return true;
  }

  ClientConfig& config_;
  fs::path config_file_;
  std::string progress_;
  std::string last_problem_;
  bool cleaned_ = false;
};

int watch(const Words& words) {
  Arguments arguments(words, {"--config"}, {"--once"});
  bool once = arguments.flag("--once");
  install_stop_handlers();
  fs::path config_file = arguments.value("--config");
  ClientConfig config = read_client_config(config_file);
  Descriptor lock = lock_configuration(config_file);
  log_line("Syncing " + config.folder.string() + " with Quorvane Home at " + config.server.address +
           ".");
  Watcher watcher(config, config_file);
  try {
    for (;;) {
      bool synced = watcher.sync();
      if (once) return synced ? 0 : 1;
      if (!pause(5)) break;
    }
  } catch (const Stopped&) {
  }
  log_line("Stopped.");
  return 0;
}

int rejoin(const Words& words) {
  Arguments arguments(words, {"--config"});
  fs::path config_file = arguments.value("--config");
  ClientConfig config = read_client_config(config_file);
  if (!fs::is_directory(config.folder))
    throw Failure("The sync folder " + config.folder.string() + " is not there.");
  std::string mark = mark_folder(config.folder, config.folder_id);
  if (mark != config.folder_id) {
    config.folder_id = mark;
    write_client_config(config_file, config);
  }
  std::set<std::tuple<int64_t, std::string, std::string>> versions;
  for (const auto& [path, record] : Remote(config.server, &config.device)
                                        .get("/v1/history")
                                        .get<std::vector<std::pair<std::string, nlohmann::json>>>())
    if (record.at("content").is_string())
      versions.emplace(record.at("revision").get<int64_t>(), path, record.at("content"));
  LocalBase(config.folder, config.server.id, config.device.device)
      .rejoin([&](const std::string& path, const BaseEntry& entry) {
        return versions.contains({entry.revision, path, entry.object});
      });
  std::cout << "The next pass merges " << config.folder.string()
            << " with Quorvane Home: what this computer synced comes back to it as it is here, "
               "and what differs otherwise is kept twice, as a conflict copy.\n";
  return 0;
}

}  // namespace

const Commands watch_commands = {{"watch", watch}, {"rejoin", rejoin}};
