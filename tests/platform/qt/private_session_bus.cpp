#include "private_session_bus.h"

#include <QDBusPendingCall>
#include <QProcessEnvironment>

#include "qt_test_support.h"

namespace quorvane::testing {
namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

void stop(QProcess& process) {
  if (process.state() == QProcess::NotRunning) return;
  process.terminate();
  if (!process.waitForFinished(5000)) {
    process.kill();
    process.waitForFinished(5000);
  }
}

}  // namespace

PrivateSessionBus::PrivateSessionBus() {
  if (!start(daemon_, QStringLiteral("dbus-daemon"),
             {QStringLiteral("--session"), QStringLiteral("--nofork"),
              QStringLiteral("--print-address=1")})) {
    return;
  }
  if (!daemon_.waitForReadyRead(10000)) {
    error_ = QStringLiteral("dbus-daemon printed no address");
    return;
  }
  address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
  watcher_.setProcessEnvironment(environment);
  if (!start(watcher_, QStringLiteral("status-notifier-watcher"), {})) return;
  // The watcher takes its name a moment before it answers on it.
  QDBusMessage ask = QDBusMessage::createMethodCall(
      kWatcher, QStringLiteral("/StatusNotifierWatcher"),
      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
  ask << kWatcher;
  QDBusConnection bus = connect();
  if (!processUntil([&] { return callAndWait(bus, ask).type() == QDBusMessage::ReplyMessage; })) {
    error_ = QStringLiteral("the StatusNotifierWatcher did not answer");
  }
}

PrivateSessionBus::~PrivateSessionBus() {
  for (const QString& name : connections_) QDBusConnection::disconnectFromBus(name);
  stop(watcher_);
  stop(daemon_);
}

bool PrivateSessionBus::start(QProcess& process, const QString& program,
                              const QStringList& arguments) {
  process.setProcessChannelMode(QProcess::SeparateChannels);
  process.setStandardErrorFile(QProcess::nullDevice());
  process.start(program, arguments);
  if (process.waitForStarted(10000)) return true;
  error_ = program + QStringLiteral(" did not start: ") + process.errorString();
  return false;
}

QDBusConnection PrivateSessionBus::connect() {
  const QString name = QStringLiteral("test-%1").arg(connections_.size());
  connections_.append(name);
  return QDBusConnection::connectToBus(address_, name);
}

bool PrivateSessionBus::registerHost() {
  QDBusMessage call =
      QDBusMessage::createMethodCall(kWatcher, QStringLiteral("/StatusNotifierWatcher"), kWatcher,
                                     QStringLiteral("RegisterStatusNotifierHost"));
  call << QStringLiteral("org.kde.StatusNotifierHost-test");
  return callAndWait(connect(), call).type() == QDBusMessage::ReplyMessage;
}

QDBusMessage callAndWait(const QDBusConnection& connection, const QDBusMessage& call) {
  QDBusPendingCall pending = connection.asyncCall(call);
  processUntil([&] { return pending.isFinished(); });
  return pending.reply();
}

}  // namespace quorvane::testing
