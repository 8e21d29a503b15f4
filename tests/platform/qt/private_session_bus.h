#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QProcess>
#include <QProcessEnvironment>

#include "platform/qt/dbus_tray_types.h"
#include "qt_test_support.h"

namespace quorvane::testing {

// Calls a method and lets the event loop run until the answer is in: a blocking
// call would also block the objects of this process that have to answer it.
inline QDBusMessage callAndWait(const QDBusConnection& connection, const QString& service,
                                const QString& path, const QString& interface,
                                const QString& method, const QVariantList& arguments = {}) {
  QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
  call.setArguments(arguments);
  QDBusPendingCall pending = connection.asyncCall(call);
  processUntil([&] { return pending.isFinished(); });
  return pending.reply();
}

// A property as a host reads it; invalid when there is no answer.
inline QVariant property(const QDBusConnection& connection, const QString& service,
                         const QString& path, const QString& interface, const QString& name) {
  const QDBusMessage reply = callAndWait(
      connection, service, path, "org.freedesktop.DBus.Properties", "Get", {interface, name});
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
  return qvariant_cast<QDBusVariant>(reply.arguments().front()).variant();
}

// A host telling the item's dbusmenu that entry `id` was clicked (or hovered...).
inline void menuEvent(const QDBusConnection& host, const QString& service, int id,
                      const QString& event = "clicked") {
  callAndWait(host, service, "/MenuBar", "com.canonical.dbusmenu", "Event",
              {id, event, QVariant::fromValue(QDBusVariant(0)), 0u});
}

// The entries of the item's dbusmenu as a host fetches them: each id and label.
inline std::vector<std::pair<int, std::string>> menuEntries(const QDBusConnection& host,
                                                            const QString& service) {
  const QDBusMessage reply = callAndWait(host, service, "/MenuBar", "com.canonical.dbusmenu",
                                         "GetLayout", {0, -1, QStringList()});
  dbus_tray::MenuLayout layout;
  if (reply.arguments().size() == 2) qvariant_cast<QDBusArgument>(reply.arguments()[1]) >> layout;
  std::vector<std::pair<int, std::string>> entries;
  for (const auto& entry : layout.children) {
    entries.emplace_back(entry.id, entry.properties.value("label").toString().toStdString());
  }
  return entries;
}

// A D-Bus session bus of a test's own, with the StatusNotifierWatcher from
// Debian's status-notifier-item utilities on it and a host registered; both
// processes end with the object.
class PrivateSessionBus {
 public:
  PrivateSessionBus() {
    daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    if (!daemon_.waitForReadyRead(10000)) return;
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBUS_SESSION_BUS_ADDRESS", address_);
    watcher_.setProcessEnvironment(environment);
    watcher_.start("status-notifier-watcher", QStringList());
    // It takes its name a moment before it answers on it.
    const QDBusConnection bus = connect();
    running = processUntil([&] {
      return property(bus, kWatcher, "/StatusNotifierWatcher", kWatcher,
                      "IsStatusNotifierHostRegistered")
          .isValid();
    });
    // A host that shows items, as a panel's tray is.
    running =
        running && callAndWait(bus, kWatcher, "/StatusNotifierWatcher", kWatcher,
                               "RegisterStatusNotifierHost", {"org.kde.StatusNotifierHost-test"})
                           .type() == QDBusMessage::ReplyMessage;
  }
  ~PrivateSessionBus() {
    for (const QString& name : connections_) QDBusConnection::disconnectFromBus(name);
    for (QProcess* process : {&watcher_, &daemon_}) {
      process->terminate();
      if (!process->waitForFinished(5000)) process->kill();
      process->waitForFinished(5000);
    }
  }

  bool running = false;  // the daemon and the watcher answer, the host is registered

  // A new connection to the bus, closed with the object.
  QDBusConnection connect() {
    connections_.append(QStringLiteral("test-%1").arg(connections_.size()));
    return QDBusConnection::connectToBus(address_, connections_.back());
  }

 private:
  static inline const QString kWatcher = "org.kde.StatusNotifierWatcher";
  QProcess daemon_;
  QProcess watcher_;
  QString address_;
  QStringList connections_;
};

}  // namespace quorvane::testing
