#include "app/app_delegate.h"
#include "app/sync_log.h"

namespace quorvane {

void AppDelegate::start() {
  if (worker_ || paused_ || busy_ || !folder()) return;

  files::OpenResult log = openSyncLog(support(), syncLog());
  if (!log.fd) {
    rebuildMenu("Could not start sync: " + log.error);
    return;
  }

  // The handler runs on the waiter thread, perhaps before launch() has returned;
  // the serial is stored right after it and read only on the main thread.
  auto serial = std::make_shared<std::uint64_t>(0);
  TerminationHandler report = [weak = weak_from_this(), serial, &loop = platform_.loop](int) {
    loop.post([weak, serial] {
      if (auto delegate = weak.lock()) delegate->terminationReport(*serial);
    });
  };
  LaunchRequest request{engine(),
                        {"watch", "--config", config().string()},
                        Stdio::inherit(),
                        Stdio::file(log.fd.get()),
                        Stdio::sameAsOutput()};
  auto launched = ChildProcess::launch(request, std::move(report));
  if (auto* error = std::get_if<std::string>(&launched)) {
    rebuildMenu("Could not start sync: " + *error);
    return;
  }
  worker_ = std::move(std::get<std::unique_ptr<ChildProcess>>(launched));
  *serial = worker_->serial();
}

// A report can arrive after a stop and a new start; it must not forget the new process.
void AppDelegate::terminationReport(std::uint64_t serial) {
  if (worker_ && worker_->serial() == serial) worker_.reset();
}

void AppDelegate::stop() {
  if (!worker_) return;
  worker_->clearTerminationHandler();
  stopChild(*worker_, stopGrace_);
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
