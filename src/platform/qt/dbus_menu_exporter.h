#pragma once

#include <QDBusContext>
#include <QDBusVariant>
#include <QObject>
#include <QStringList>
#include <functional>

#include "platform/menu.h"
#include "platform/qt/dbus_tray_types.h"

namespace quorvane {

// The status menu as a com.canonical.dbusmenu object, for StatusNotifierItem hosts
// that draw the menu themselves. A rebuild sends LayoutUpdated with a new
// revision, and hosts fetch the new layout, also while they show the menu. The
// host's "opened" and "closed" reports are not relied on for anything: a host
// that never says its menu closed cannot hold the refresh tick.
class DBusMenuExporter : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
  Q_PROPERTY(uint Version READ version)
  Q_PROPERTY(QString TextDirection READ textDirection)
  Q_PROPERTY(QString Status READ status)
  Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

 public:
  // `choose` gets the action of an entry the person clicked in the host's menu.
  explicit DBusMenuExporter(std::function<void(MenuAction)> choose);

  void setMenu(const Menu& menu);
  uint revision() const { return revision_; }

  uint version() const { return 3; }
  QString textDirection() const;
  QString status() const { return QStringLiteral("normal"); }
  QStringList iconThemePath() const { return {}; }

 public slots:
  Q_SCRIPTABLE uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                              quorvane::dbus_tray::MenuLayout& layout);
  Q_SCRIPTABLE QList<quorvane::dbus_tray::MenuItemProperties> GetGroupProperties(
      const QList<int>& ids, const QStringList& propertyNames);
  Q_SCRIPTABLE QDBusVariant GetProperty(int id, const QString& name);
  Q_SCRIPTABLE void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
  Q_SCRIPTABLE QList<int> EventGroup(const QList<quorvane::dbus_tray::MenuEvent>& events);
  Q_SCRIPTABLE bool AboutToShow(int id);
  Q_SCRIPTABLE QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

 signals:
  Q_SCRIPTABLE void LayoutUpdated(uint revision, int parent);

 private:
  bool known(int id) const;
  void clicked(int id);

  std::function<void(MenuAction)> choose_;
  Menu menu_;
  Menu served_;  // the menu last sent to a host, which it may still be showing
  uint revision_ = 1;
};

}  // namespace quorvane
