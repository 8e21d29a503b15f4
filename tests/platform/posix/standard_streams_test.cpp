#include "platform/posix/standard_streams.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace quorvane {
namespace {

// In a child process, so the test runner keeps its own streams. The child's exit
// code says what it saw: 0 when the file it opened afterwards is above 2.
int openedDescriptorAfterFilling(std::initializer_list<int> closed) {
  const pid_t child = ::fork();
  if (child == 0) {
    for (int fd : closed) ::close(fd);
    if (!fillStandardStreams()) ::_exit(10);
    for (int fd = 0; fd <= 2; ++fd) {
      if (::fcntl(fd, F_GETFD) == -1) ::_exit(20 + fd);
    }
    const int file = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    ::_exit(file > 2 ? 0 : 30 + file);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(StandardStreams, ClosedOnesAreFilledSoNoLaterFileLandsOnThem) {
  for (auto closed : {std::initializer_list<int>{}, {0}, {1}, {0, 2}, {0, 1, 2}}) {
    EXPECT_EQ(openedDescriptorAfterFilling(closed), 0) << closed.size() << " closed";
  }
}

}  // namespace
}  // namespace quorvane
