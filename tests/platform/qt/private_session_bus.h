#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QString>

namespace quorvane::testing {

// A D-Bus session bus of a test's own, with the StatusNotifierWatcher from
// Debian's status-notifier-item utilities on it. Every process it started ends
// with it.
class PrivateSessionBus {
 public:
  PrivateSessionBus();
  ~PrivateSessionBus();
  PrivateSessionBus(const PrivateSessionBus&) = delete;
  PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

  // The daemon and the watcher run; when false, `error()` says why.
  bool running() const { return error_.isEmpty(); }
  const QString& error() const { return error_; }

  // A new connection to the bus, closed with the object.
  QDBusConnection connect();
  // Tells the watcher that a host shows items, as a panel's tray does.
  bool registerHost();

 private:
  bool start(QProcess& process, const QString& program, const QStringList& arguments);

  QProcess daemon_;
  QProcess watcher_;
  QString address_;
  QString error_;
  QStringList connections_;
};

// Sends `call` and lets the event loop run until the answer is in: a blocking call
// would also block the objects of this process that have to answer it.
QDBusMessage callAndWait(const QDBusConnection& connection, const QDBusMessage& call);

}  // namespace quorvane::testing
