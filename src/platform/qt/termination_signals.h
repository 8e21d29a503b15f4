#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

#include "platform/posix/file_descriptor.h"

namespace quorvane {

// Turns SIGTERM, SIGINT and SIGHUP into a call of `onSignal` on the main thread:
// the handler only writes a byte to a pipe, which the event loop watches. One
// instance at a time; destroying it restores the default dispositions.
class TerminationSignals {
 public:
  explicit TerminationSignals(std::function<void()> onSignal);
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // False when the pipe could not be made; the signals then keep their defaults.
  bool installed() const { return notifier_ != nullptr; }

 private:
  FileDescriptor readEnd_;
  FileDescriptor writeEnd_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace quorvane
