#include "platform/qt/instance_handoff.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/posix/error_text.h"

namespace quorvane {
namespace {

constexpr qsizetype kLargestHandoff = 1 << 20;  // far more paths than anyone opens at once
constexpr int kConnectAttempts = 20;
constexpr auto kConnectPause = std::chrono::milliseconds(150);

// None when the path does not fit a socket address.
std::optional<sockaddr_un> addressOf(const std::filesystem::path& socket) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socket.native().size() >= sizeof address.sun_path) return std::nullopt;
  std::memcpy(address.sun_path, socket.c_str(), socket.native().size() + 1);
  return address;
}

}  // namespace

std::vector<std::filesystem::path> parseHandoff(const QByteArray& data) {
  std::vector<std::filesystem::path> paths;
  qsizetype start = 0;
  for (qsizetype end; (end = data.indexOf('\0', start)) >= 0; start = end + 1) {
    if (end > start) paths.emplace_back(std::string(data.constData() + start, end - start));
  }
  return paths;
}

HandoffServer::HandoffServer(Receive receive) : receive_(std::move(receive)) {}

HandoffServer::~HandoffServer() = default;

std::optional<std::string> HandoffServer::listen(const std::filesystem::path& socket) {
  const std::optional<sockaddr_un> address = addressOf(socket);
  if (!address) return "The path is too long for a socket: " + socket.string();
  FileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!fd) return describeError(errno, socket);
  // Safe only because the caller holds the lock: no live instance owns the socket.
  ::unlink(socket.c_str());
  if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
    return describeError(errno, socket);
  }
  // Only this user may connect; the folder it lies in is private already.
  ::chmod(socket.c_str(), 0600);
  if (::listen(fd.get(), 8) != 0) return describeError(errno, socket);
  listening_ = std::move(fd);
  notifier_ = std::make_unique<QSocketNotifier>(listening_.get(), QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { accept(); });
  return std::nullopt;
}

void HandoffServer::accept() {
  for (;;) {
    FileDescriptor fd(::accept4(listening_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!fd) return;  // none waiting (or a failed one, which the client sees)
    const int key = fd.get();
    Connection& connection = connections_[key];
    connection.fd = std::move(fd);
    connection.notifier = std::make_unique<QSocketNotifier>(key, QSocketNotifier::Read);
    QObject::connect(connection.notifier.get(), &QSocketNotifier::activated,
                     [this, key] { read(key); });
  }
}

void HandoffServer::read(int fd) {
  auto found = connections_.find(fd);
  if (found == connections_.end()) return;
  Connection& connection = found->second;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;  // more to come
    if (got > 0) {
      connection.received.append(buffer, got);
      if (connection.received.size() <= kLargestHandoff) continue;
    }
    // End of the sender's data, a broken connection, or too much: done with it.
    const bool whole = got == 0 && connection.received.size() <= kLargestHandoff;
    QByteArray received = std::move(connection.received);
    connection.notifier->setEnabled(false);
    // Not from inside the notifier's own signal: it goes with the connection.
    connection.notifier.release()->deleteLater();
    connections_.erase(found);
    if (!whole) return;
    std::vector<std::filesystem::path> paths = parseHandoff(received);
    if (!paths.empty()) receive_(std::move(paths));
    return;
  }
}

std::optional<std::string> handOffPaths(const std::filesystem::path& socket,
                                        const std::vector<std::filesystem::path>& paths) {
  std::string data;
  for (const auto& path : paths) {
    data.append(path.native());
    data.push_back('\0');
  }
  const std::optional<sockaddr_un> address = addressOf(socket);
  if (!address) return "The path is too long for a socket: " + socket.string();
  FileDescriptor fd;
  // The running instance listens only once it has started; give it a moment.
  for (int attempt = 0;; ++attempt) {
    fd = FileDescriptor(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) return describeError(errno, socket);
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0) {
      break;
    }
    if (attempt + 1 == kConnectAttempts) return describeError(errno, socket);
    std::this_thread::sleep_for(kConnectPause);
  }
  for (std::size_t sent = 0; sent < data.size();) {
    const ssize_t wrote = ::send(fd.get(), data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0) return describeError(errno, socket);
    sent += static_cast<std::size_t>(wrote);
  }
  // The end of the data, and a wait (a few seconds at most) until the running
  // instance has read it all.
  ::shutdown(fd.get(), SHUT_WR);
  const timeval patience{5, 0};
  ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  char ignored;
  while (::read(fd.get(), &ignored, 1) < 0 && errno == EINTR) {
  }
  return std::nullopt;
}

}  // namespace quorvane
