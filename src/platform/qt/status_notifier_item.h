#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QIcon>
#include <QObject>
#include <QPoint>
#include <functional>

#include "platform/menu.h"
#include "platform/qt/dbus_menu_exporter.h"
#include "platform/qt/dbus_tray_types.h"

namespace quorvane {

// The status item as a StatusNotifierItem on the session bus, as KDE Plasma, GNOME
// with the AppIndicator extension, Xfce and others show tray icons, with its menu
// exported as com.canonical.dbusmenu. The item is menu-only: hosts that honour
// ItemIsMenu open the menu on any click, and a click a host still reports
// (Activate, ContextMenu) is passed on so the front end can open its own.
class StatusNotifierItem : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
  Q_PROPERTY(QString Category READ category)
  Q_PROPERTY(QString Id READ id)
  Q_PROPERTY(QString Title READ title)
  Q_PROPERTY(QString Status READ status)
  Q_PROPERTY(int WindowId READ windowId)
  Q_PROPERTY(QString IconThemePath READ noName)
  Q_PROPERTY(QString IconName READ noName)
  Q_PROPERTY(QList<quorvane::dbus_tray::IconPixmap> IconPixmap READ iconPixmap)
  Q_PROPERTY(QString OverlayIconName READ noName)
  Q_PROPERTY(QList<quorvane::dbus_tray::IconPixmap> OverlayIconPixmap READ noPixmaps)
  Q_PROPERTY(QString AttentionIconName READ noName)
  Q_PROPERTY(QList<quorvane::dbus_tray::IconPixmap> AttentionIconPixmap READ noPixmaps)
  Q_PROPERTY(QString AttentionMovieName READ noName)
  Q_PROPERTY(quorvane::dbus_tray::ToolTip ToolTip READ toolTip)
  Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
  Q_PROPERTY(QDBusObjectPath Menu READ menu)

 public:
  static constexpr const char* kWatcherService = "org.kde.StatusNotifierWatcher";

  // Exports the item and its menu on `bus` and registers it with the watcher, now
  // and whenever a watcher appears again (a panel restarting). `choose` gets the
  // action of an entry clicked in a host's menu.
  StatusNotifierItem(QDBusConnection bus, std::function<void(MenuAction)> choose);
  ~StatusNotifierItem() override;

  // False when the bus refused the objects; the item is then not shown.
  bool exported() const { return ownsName_; }
  QString serviceName() const { return serviceName_; }

  void setIcon(const QIcon& icon);
  // Shown as given: the title of a StatusNotifierItem tooltip is plain text.
  void setToolTip(const QString& text);
  void setMenu(const Menu& menu) { menu_.setMenu(menu); }

  QString category() const { return QStringLiteral("ApplicationStatus"); }
  QString id() const { return QStringLiteral("org.quorvane.Quorvane"); }
  QString title() const { return QStringLiteral("Quorvane"); }
  QString status() const { return QStringLiteral("Active"); }
  int windowId() const { return 0; }
  QString noName() const { return {}; }
  QList<dbus_tray::IconPixmap> iconPixmap() const { return pixmaps_; }
  QList<dbus_tray::IconPixmap> noPixmaps() const { return {}; }
  dbus_tray::ToolTip toolTip() const { return {{}, {}, toolTip_, {}}; }
  bool itemIsMenu() const { return true; }
  QDBusObjectPath menu() const;

 public slots:
  Q_SCRIPTABLE void Activate(int x, int y);
  Q_SCRIPTABLE void ContextMenu(int x, int y);
  Q_SCRIPTABLE void SecondaryActivate(int x, int y);
  Q_SCRIPTABLE void Scroll(int delta, const QString& orientation);

 signals:
  // A host passed on a click at (x, y) on the screen; (0, 0) when it did not say.
  void clicked(QPoint at);

  Q_SCRIPTABLE void NewTitle();
  Q_SCRIPTABLE void NewIcon();
  Q_SCRIPTABLE void NewAttentionIcon();
  Q_SCRIPTABLE void NewOverlayIcon();
  Q_SCRIPTABLE void NewToolTip();
  Q_SCRIPTABLE void NewStatus(const QString& status);

 private:
  void registerWithWatcher(int attempts);

  QDBusConnection bus_;
  QString serviceName_;
  DBusMenuExporter menu_;
  QDBusServiceWatcher watcher_;
  bool ownsItem_ = false;
  bool ownsMenu_ = false;
  bool ownsName_ = false;
  QList<dbus_tray::IconPixmap> pixmaps_;
  QString toolTip_;
};

// Whether the session shows StatusNotifierItems: a watcher with a host registered.
// Says when one appears later, as when the front end starts at login before the
// panel.
class StatusNotifierHostWatch : public QObject {
  Q_OBJECT

 public:
  explicit StatusNotifierHostWatch(QDBusConnection bus);
  bool hostRegistered() const;

 signals:
  // A watcher or a host appeared; hostRegistered() may now be true.
  void changed();

 private slots:
  void hostSignalled();

 private:
  QDBusConnection bus_;
  QDBusServiceWatcher watcher_;
};

}  // namespace quorvane
