#include "support/engine_gate.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace quorvane::testing {

EngineGate::EngineGate() : path_(dir_ / "gate") {
  if (::mkfifo(path_.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
}

EngineGate::~EngineGate() {
  const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) ::close(fd);
}

void EngineGate::pass() {
  // Opening a pipe for reading waits for its writer; reading to the end waits
  // until the engine has closed it and gone on.
  std::ifstream in(path_);
  std::string ignored{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace quorvane::testing
