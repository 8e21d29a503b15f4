#pragma once

#include <QByteArray>
#include <QSocketNotifier>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/file_descriptor.h"

namespace quorvane {

// Files opened with the application reach the running instance over a Unix socket
// beside the instance lock: each path's bytes followed by a NUL byte. Plain
// sockets, watched by the event loop, rather than QtNetwork: the library and what
// it pulls in would be loaded at every start for this one use.

// The running instance's end. Main thread only.
class HandoffServer {
 public:
  using Receive = std::function<void(std::vector<std::filesystem::path>)>;
  explicit HandoffServer(Receive receive);
  ~HandoffServer();

  // Listens at `socket`, replacing whatever a crashed instance left there. Only
  // the holder of the instance lock may call it. Returns the error on failure.
  std::optional<std::string> listen(const std::filesystem::path& socket);

 private:
  struct Connection {
    FileDescriptor fd;
    std::unique_ptr<QSocketNotifier> notifier;
    QByteArray received;
  };
  void accept();
  void read(int fd);

  Receive receive_;
  FileDescriptor listening_;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::map<int, Connection> connections_;
};

// The later launch's end: hands `paths` over and returns once they are sent, or
// the error. Blocks for a few seconds at most while the running instance is still
// starting to listen.
std::optional<std::string> handOffPaths(const std::filesystem::path& socket,
                                        const std::vector<std::filesystem::path>& paths);

// Splits what a client sent; an entry cut off by a broken connection is dropped.
std::vector<std::filesystem::path> parseHandoff(const QByteArray& data);

}  // namespace quorvane
