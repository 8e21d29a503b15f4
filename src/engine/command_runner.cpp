#include "engine/command_runner.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "common/text.h"
#include "platform/posix/child_process.h"

namespace quorvane {
namespace {

std::string systemText(int error) {
  return std::generic_category().message(error);
}

// Returns 0, or the errno of the write that failed.
int writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return errno;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

// Everything until end-of-file; a read error ends the output where it happened.
std::string readToEnd(int fd) {
  std::string output;
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return output;
    output.append(buffer, static_cast<std::size_t>(got));
  }
}

}  // namespace

EngineResult runEngineCommand(const std::filesystem::path& engine,
                              const std::vector<std::string>& arguments,
                              const std::optional<std::string>& input) {
  LaunchRequest request{engine, arguments, Stdio::pipe(), Stdio::pipe(), Stdio::sameAsOutput()};
  auto launched = ChildProcess::launch(request);
  if (auto* error = std::get_if<std::string>(&launched)) return {-1, *error};
  ChildProcess& child = *std::get<std::unique_ptr<ChildProcess>>(launched);

  // On a failure below the engine is left to end by itself; its waiter reaps it.
  FileDescriptor toEngine = child.takeInput();
  FileDescriptor fromEngine = child.takeOutput();
  if (input) {
    if (int error = writeAll(toEngine.get(), *input)) return {-1, systemText(error)};
  }
  if (int error = toEngine.reset()) return {-1, systemText(error)};

  std::string output = readToEnd(fromEngine.get());
  int status = child.waitUntilExit();
  return {status, validUtf8(std::move(output)).value_or(std::string())};
}

}  // namespace quorvane
