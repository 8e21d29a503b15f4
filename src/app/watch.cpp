#include "app/app_delegate.h"
#include "app/sync_log.h"

namespace quorvane {

void AppDelegate::start() {
  if (worker_ || paused_ || busy() || terminating_ || !locations_.folder()) return;

  files::OpenResult log = openSyncLog(locations_.support(), locations_.syncLog());
  if (!log.fd) return showStatus("Could not start sync: " + log.error);

  const std::uint64_t serial = workerSerial_ + 1;
  Engine::WatchStart started =
      engine_->startWatch({"watch", "--config", locations_.config().string()}, log.fd.get(),
                          [weak = weak_from_this(), serial] {
                            if (auto delegate = weak.lock()) delegate->terminationReport(serial);
                          });
  if (auto* error = std::get_if<std::string>(&started)) {
    return showStatus("Could not start sync: " + *error);
  }
  worker_ = std::move(std::get<std::unique_ptr<WatchProcess>>(started));
  workerSerial_ = serial;
}

// A report can arrive after a stop and a new start; it must not forget the new process.
void AppDelegate::terminationReport(std::uint64_t serial) {
  if (worker_ && workerSerial_ == serial) worker_.reset();
}

void AppDelegate::stop() {
  worker_.reset();
}

void AppDelegate::togglePause() {
  paused_ = !paused_;
  if (paused_) {
    stop();
  } else {
    start();
  }
  refresh();
}

}  // namespace quorvane
