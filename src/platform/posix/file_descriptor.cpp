#include "platform/posix/file_descriptor.h"

#include <unistd.h>
#include <cerrno>

namespace quorvane {

int FileDescriptor::reset(int fd) {
  int error = 0;
  if (fd_ >= 0 && ::close(fd_) != 0) error = errno;
  fd_ = fd;
  return error;
}

}  // namespace quorvane
