#include "platform/qt/instance_handoff.h"

#include <QLocalSocket>
#include <memory>
#include <thread>

namespace quorvane {
namespace {

constexpr qint64 kLargestHandoff = 1 << 20;  // far more paths than anyone opens at once
constexpr int kConnectAttempts = 20;
constexpr auto kConnectPause = std::chrono::milliseconds(150);
constexpr int kWaitMs = 2000;

}  // namespace

std::vector<std::filesystem::path> parseHandoff(const QByteArray& data) {
  std::vector<std::filesystem::path> paths;
  qsizetype start = 0;
  for (qsizetype end; (end = data.indexOf('\0', start)) >= 0; start = end + 1) {
    if (end > start) paths.emplace_back(std::string(data.constData() + start, end - start));
  }
  return paths;
}

HandoffServer::HandoffServer(Receive receive) : receive_(std::move(receive)) {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] { accept(); });
}

std::optional<std::string> HandoffServer::listen(const std::filesystem::path& socket) {
  const QString name = QString::fromStdString(socket.string());
  // Safe only because the caller holds the lock: no live instance owns the socket.
  QLocalServer::removeServer(name);
  if (!server_.listen(name)) return server_.errorString().toStdString();
  return std::nullopt;
}

void HandoffServer::accept() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    auto received = std::make_shared<QByteArray>();
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, received] {
      received->append(socket->readAll());
      if (received->size() > kLargestHandoff) socket->abort();
    });
    QObject::connect(socket, &QLocalSocket::disconnected, socket, [this, socket, received] {
      received->append(socket->readAll());
      socket->deleteLater();
      if (received->size() > kLargestHandoff) return;
      std::vector<std::filesystem::path> paths = parseHandoff(*received);
      if (!paths.empty()) receive_(std::move(paths));
    });
  }
}

std::optional<std::string> handOffPaths(const std::filesystem::path& socket,
                                        const std::vector<std::filesystem::path>& paths) {
  QByteArray data;
  for (const auto& path : paths) {
    data.append(path.native().data(), static_cast<qsizetype>(path.native().size()));
    data.append('\0');
  }
  QLocalSocket client;
  const QString name = QString::fromStdString(socket.string());
  // The running instance listens only once it has started; give it a moment.
  for (int attempt = 0;; ++attempt) {
    client.connectToServer(name);
    if (client.waitForConnected(kWaitMs)) break;
    if (attempt + 1 == kConnectAttempts) return client.errorString().toStdString();
    std::this_thread::sleep_for(kConnectPause);
  }
  client.write(data);
  while (client.bytesToWrite() > 0) {
    if (!client.waitForBytesWritten(kWaitMs)) return client.errorString().toStdString();
  }
  client.disconnectFromServer();
  if (client.state() != QLocalSocket::UnconnectedState) client.waitForDisconnected(kWaitMs);
  return std::nullopt;
}

}  // namespace quorvane
