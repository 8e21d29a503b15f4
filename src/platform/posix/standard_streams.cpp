#include "platform/posix/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace quorvane {

bool fillStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // Not close-on-exec: these are the standard streams children are meant to get.
    const int opened = ::open("/dev/null", O_RDWR | O_NOCTTY);
    if (opened < 0) return false;
    // open() takes the lowest free number, which is `fd`; make sure of it anyway.
    if (opened != fd) {
      const bool moved = ::dup2(opened, fd) == fd;
      ::close(opened);
      if (!moved) return false;
    }
  }
  return true;
}

}  // namespace quorvane
