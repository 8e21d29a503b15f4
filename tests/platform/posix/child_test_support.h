#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/posix/child_process.h"

namespace quorvane::testing {

inline std::unique_ptr<ChildProcess> launchOrFail(const LaunchRequest& request,
                                                  TerminationHandler handler = {}) {
  auto launched = ChildProcess::launch(request, std::move(handler));
  if (auto* error = std::get_if<std::string>(&launched)) {
    ADD_FAILURE() << "launch failed: " << *error;
    return nullptr;
  }
  return std::move(std::get<std::unique_ptr<ChildProcess>>(launched));
}

inline std::string readAll(int fd) {
  std::string bytes;
  char buffer[4096];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return bytes;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
}

// Reads up to and including the first newline.
inline std::string readLine(int fd) {
  std::string line;
  char c;
  while (::read(fd, &c, 1) == 1) {
    line += c;
    if (c == '\n') break;
  }
  return line;
}

// Points one of this process's standard streams at `fd` until destroyed.
class Redirected {
 public:
  Redirected(int target, int fd) : target_(target), saved_(::dup(target)) {
    std::fflush(nullptr);
    ::dup2(fd, target_);
  }
  ~Redirected() {
    std::fflush(nullptr);
    ::dup2(saved_, target_);
    ::close(saved_);
  }
  Redirected(const Redirected&) = delete;
  Redirected& operator=(const Redirected&) = delete;

 private:
  int target_;
  int saved_;
};

}  // namespace quorvane::testing
