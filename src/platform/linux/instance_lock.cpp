#include "platform/linux/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/posix/error_text.h"

namespace quorvane {
namespace {

// The pid written by the holder; -1 while it is still being written, unreadable, or
// our own (a stale entry is never taken for this process).
int readHolder(int fd) {
  char buffer[32];
  ssize_t got = ::pread(fd, buffer, sizeof buffer, 0);
  if (got <= 0) return -1;
  std::string text(buffer, static_cast<std::size_t>(got));
  auto end = text.find('\n');
  if (end == std::string::npos || end == 0 || end > 10) return -1;
  long pid = 0;
  for (std::size_t i = 0; i < end; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    pid = pid * 10 + (text[i] - '0');
  }
  if (pid <= 0 || pid > 0x7fffffff || pid == ::getpid()) return -1;
  return static_cast<int>(pid);
}

}  // namespace

InstanceLock::Attempt InstanceLock::acquire(const std::filesystem::path& file) {
  Attempt attempt;
  FileDescriptor fd(
      ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600));
  if (!fd) {
    attempt.error = describeError(errno, file);
    return attempt;
  }
  int locked;
  do {
    locked = ::flock(fd.get(), LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    if (errno != EWOULDBLOCK) {
      attempt.error = describeError(errno, file);
      return attempt;
    }
    attempt.result = Attempt::Result::heldElsewhere;
    attempt.holder = readHolder(fd.get());
    return attempt;
  }
  // The pid is for others to read; the lock alone decides, so failures are ignored.
  std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd.get(), 0) == 0) (void)!::pwrite(fd.get(), pid.data(), pid.size(), 0);
  attempt.result = Attempt::Result::taken;
  attempt.lock.reset(new InstanceLock(std::move(fd)));
  return attempt;
}

}  // namespace quorvane
