#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/posix/file_descriptor.h"

namespace quorvane {

// An exclusive flock on a file, held until the object (or the process) is gone. The
// holder writes its pid into the file so that others can name it. flock is taken
// atomically by the kernel, so of two simultaneous attempts exactly one succeeds.
class InstanceLock {
 public:
  struct Attempt;
  static Attempt acquire(const std::filesystem::path& file);

  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

 private:
  explicit InstanceLock(FileDescriptor fd) : fd_(std::move(fd)) {}
  FileDescriptor fd_;  // close-on-exec, so children do not keep the lock
};

struct InstanceLock::Attempt {
  enum class Result { taken, heldElsewhere, failed };
  Result result = Result::failed;
  std::unique_ptr<InstanceLock> lock;  // taken
  int holder = -1;                     // heldElsewhere: the holder's pid; -1 when unreadable
  std::string error;                   // failed
};

}  // namespace quorvane
