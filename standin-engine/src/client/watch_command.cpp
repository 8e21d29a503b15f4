// watch: a pass every five seconds until a stop signal. "--once" makes one pass
// and exits with 0 only when everything is in sync (for tests and scripts).
#include <fcntl.h>
#include <sys/file.h>

#include <chrono>
#include <thread>

#include "cli.h"
#include "commands.h"
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

// One watch per folder: two would race each other's renames.
Descriptor lock_folder(const fs::path& folder) {
  Descriptor lock = open_file(folder / ".quorvane" / "lock", O_RDWR | O_CREAT, 0600);
  if (::flock(lock.get(), LOCK_EX | LOCK_NB) != 0)
    throw Failure("Another sync is already running for " + folder.string() + ".");
  return lock;
}

std::string files(size_t number) {
  return std::to_string(number) + (number == 1 ? " file" : " files");
}

class Watcher {
 public:
  explicit Watcher(const ClientConfig& config) : config_(config) {
    set_copy_heartbeat([this] { write_status(config_.folder, "syncing", progress_); });
  }

  // Returns true when the folder and the server agree.
  bool sync() {
    try {
      return sync_or_throw();
    } catch (const std::exception& failure) {
      if (failure.what() != last_problem_) log_line(failure.what());
      last_problem_ = failure.what();
      write_status(config_.folder, "waiting", failure.what());
      return false;
    }
  }

 private:
  bool sync_or_throw() {
    Remote remote(config_.server, &config_.device);
    LocalBase base(config_.folder, config_.server.id, config_.device.device);
    PassReport total;
    bool again = true;
    // A pass that set conflicting copies aside is followed at once by one that uploads them.
    for (int round = 0; again && round < 3; ++round) {
      SyncPass pass(remote, config_.device, config_.folder, base);
      PassReport report = pass.run([&](size_t changes) {
        progress_ = "Syncing " + files(changes) + "…";
        write_status(config_.folder, "syncing", progress_);
      });
      total.uploaded += report.uploaded;
      total.downloaded += report.downloaded;
      total.recovered += report.recovered;
      total.conflicts += report.conflicts;
      total.failed = report.failed;
      again = report.again;
    }
    if (total.uploaded || total.downloaded || total.recovered || total.failed)
      log_line(std::to_string(total.uploaded) + " uploaded, " + std::to_string(total.downloaded) +
               " downloaded, " + std::to_string(total.recovered) + " moved to recovery, " +
               std::to_string(total.conflicts) + " in conflict, " + std::to_string(total.failed) +
               " failed.");
    last_problem_.clear();
    if (total.failed) {
      write_status(config_.folder, "incomplete",
                   files(total.failed) + " could not be synced; see the log.");
      return false;
    }
    write_status(config_.folder, "synced", "Up to date with Quorvane Home");
    return true;
  }

  const ClientConfig& config_;
  std::string progress_;
  std::string last_problem_;
};

int watch(const Words& words) {
  Arguments arguments(words, {"--config"}, {"--once"});
  bool once = arguments.flag("--once");
  install_stop_handlers();
  ClientConfig config = read_client_config(arguments.value("--config"));
  if (!fs::is_directory(config.folder)) {
    // Perhaps on a disk not mounted yet; never create it here.
    log_line("Waiting for the sync folder " + config.folder.string() + " to appear.");
    do {
      if (once || !pause(5)) return once ? 1 : 0;
    } while (!fs::is_directory(config.folder));
  }
  fs::create_directories(config.folder / ".quorvane" / "tmp");
  Descriptor lock = lock_folder(config.folder);
  for (const auto& leftover : fs::directory_iterator(config.folder / ".quorvane" / "tmp"))
    fs::remove(leftover.path());
  log_line("Syncing " + config.folder.string() + " with Quorvane Home at " + config.server.address +
           ".");
  Watcher watcher(config);
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

}  // namespace

const Commands watch_commands = {{"watch", watch}};
