#include "platform/qt/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace quorvane {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

std::atomic<int> signalPipe{-1};

extern "C" void onTerminationSignal(int number) {
  const int saved = errno;
  const int fd = signalPipe.load();
  if (fd >= 0) {
    const char byte = static_cast<char>(number);
    (void)!::write(fd, &byte, 1);  // a full pipe already holds a pending request
  }
  errno = saved;
}

void setDisposition(void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : kSignals) ::sigaction(number, &action, nullptr);
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  readEnd_.reset(ends[0]);
  writeEnd_.reset(ends[1]);
  notifier_ = std::make_unique<QSocketNotifier>(readEnd_.get(), QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                   [fd = readEnd_.get(), onSignal = std::move(onSignal)] {
                     char drained[64];
                     while (::read(fd, drained, sizeof drained) > 0) {
                     }
                     onSignal();
                   });
  signalPipe.store(writeEnd_.get());
  setDisposition(onTerminationSignal);
}

TerminationSignals::~TerminationSignals() {
  if (!notifier_) return;
  setDisposition(SIG_DFL);
  signalPipe.store(-1);
}

}  // namespace quorvane
