#include "platform/qt/status_notifier_item.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QImage>
#include <QTimer>
#include <QtEndian>
#include <atomic>
#include <chrono>

namespace quorvane {
namespace {

const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/MenuBar");
// Asking the watcher must not stall the launch when it hangs.
constexpr int kWatcherTimeoutMs = 2000;
// A watcher may take its name a moment before it answers on it.
constexpr int kRegisterAttempts = 10;
constexpr auto kRegisterPause = std::chrono::milliseconds(300);

QString uniqueServiceName() {
  static std::atomic<int> count = 0;
  return QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
      .arg(QCoreApplication::applicationPid())
      .arg(++count);
}

// The sizes panels commonly ask for; a host picks the nearest.
QList<dbus_tray::IconPixmap> pixmapsOf(const QIcon& icon) {
  QList<dbus_tray::IconPixmap> pixmaps;
  if (icon.isNull()) return pixmaps;
  for (int size : {16, 22, 24, 32, 48, 64}) {
    QImage image = icon.pixmap(size, size)
                       .toImage()
                       .scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_ARGB32);
    QByteArray argb(image.width() * image.height() * 4, Qt::Uninitialized);
    auto* out = reinterpret_cast<quint32*>(argb.data());
    for (int y = 0; y < image.height(); ++y) {
      const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
      for (int x = 0; x < image.width(); ++x) *out++ = qToBigEndian(line[x]);
    }
    pixmaps.append({image.width(), image.height(), argb});
  }
  return pixmaps;
}

}  // namespace

StatusNotifierItem::StatusNotifierItem(QDBusConnection bus, std::function<void(MenuAction)> choose)
    : bus_(std::move(bus)),
      serviceName_(uniqueServiceName()),
      menu_(std::move(choose)),
      watcher_(kWatcherService, bus_, QDBusServiceWatcher::WatchForRegistration) {
  dbus_tray::registerTypes();
  constexpr auto kExport = QDBusConnection::ExportScriptableContents;
  ownsItem_ =
      bus_.registerObject(kItemPath, QStringLiteral("org.kde.StatusNotifierItem"), this, kExport);
  ownsMenu_ = ownsItem_ && bus_.registerObject(kMenuPath, QStringLiteral("com.canonical.dbusmenu"),
                                               &menu_, kExport);
  ownsName_ = ownsMenu_ && bus_.registerService(serviceName_);
  if (!exported()) return;
  QObject::connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this,
                   [this] { registerWithWatcher(kRegisterAttempts); });
  registerWithWatcher(kRegisterAttempts);
}

StatusNotifierItem::~StatusNotifierItem() {
  // Only what this item registered: the paths may be another item's.
  if (ownsName_) bus_.unregisterService(serviceName_);
  if (ownsMenu_) bus_.unregisterObject(kMenuPath);
  if (ownsItem_) bus_.unregisterObject(kItemPath);
}

void StatusNotifierItem::registerWithWatcher(int attempts) {
  QDBusMessage call = QDBusMessage::createMethodCall(kWatcherService, kWatcherPath, kWatcherService,
                                                     QStringLiteral("RegisterStatusNotifierItem"));
  call << serviceName_;
  // Without a watcher there is nobody to show the item; one that appears later is
  // told then.
  auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  QObject::connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending, attempts] {
    pending->deleteLater();
    const bool retry =
        pending->isError() && attempts > 1 && pending->error().type() != QDBusError::ServiceUnknown;
    if (!retry) return;
    QTimer::singleShot(kRegisterPause, this,
                       [this, attempts] { registerWithWatcher(attempts - 1); });
  });
}

void StatusNotifierItem::setIcon(const QIcon& icon) {
  pixmaps_ = pixmapsOf(icon);
  emit NewIcon();
}

void StatusNotifierItem::setToolTip(const QString& text) {
  if (text == toolTip_) return;
  toolTip_ = text;
  emit NewToolTip();
}

QDBusObjectPath StatusNotifierItem::menu() const {
  return QDBusObjectPath(kMenuPath);
}

void StatusNotifierItem::Activate(int x, int y) {
  emit clicked(QPoint(x, y));
}

void StatusNotifierItem::ContextMenu(int x, int y) {
  emit clicked(QPoint(x, y));
}

void StatusNotifierItem::SecondaryActivate(int, int) {}

void StatusNotifierItem::Scroll(int, const QString&) {}

StatusNotifierHostWatch::StatusNotifierHostWatch(QDBusConnection bus)
    : bus_(std::move(bus)),
      watcher_(StatusNotifierItem::kWatcherService, bus_,
               QDBusServiceWatcher::WatchForRegistration) {
  QObject::connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this,
                   &StatusNotifierHostWatch::changed);
  bus_.connect(StatusNotifierItem::kWatcherService, kWatcherPath,
               StatusNotifierItem::kWatcherService, QStringLiteral("StatusNotifierHostRegistered"),
               this, SLOT(hostSignalled()));
}

bool StatusNotifierHostWatch::hostRegistered() const {
  if (!bus_.isConnected()) return false;
  QDBusMessage get = QDBusMessage::createMethodCall(
      StatusNotifierItem::kWatcherService, kWatcherPath,
      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get << QString(StatusNotifierItem::kWatcherService)
      << QStringLiteral("IsStatusNotifierHostRegistered");
  const QDBusMessage reply = bus_.call(get, QDBus::Block, kWatcherTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
  return qvariant_cast<QDBusVariant>(reply.arguments().front()).variant().toBool();
}

void StatusNotifierHostWatch::hostSignalled() {
  emit changed();
}

}  // namespace quorvane
