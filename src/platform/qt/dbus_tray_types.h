#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusVariant>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

// The structures a StatusNotifierItem and a com.canonical.dbusmenu menu send over
// D-Bus, with their signatures.
namespace quorvane::dbus_tray {

// (iiay): one image, ARGB32 pixels in network byte order.
struct IconPixmap {
  int width = 0;
  int height = 0;
  QByteArray argb;
};
using IconPixmaps = QList<IconPixmap>;

// (sa(iiay)ss): the item's tooltip; its title is plain text.
struct ToolTip {
  QString iconName;
  IconPixmaps icon;
  QString title;
  QString description;
};

// (ia{sv}av): a menu entry and, nested as variants, its children.
struct MenuLayout {
  int id = 0;
  QVariantMap properties;
  QList<MenuLayout> children;
};

// (ia{sv}): an entry's properties without its children.
struct MenuItemProperties {
  int id = 0;
  QVariantMap properties;
};
using MenuItemPropertiesList = QList<MenuItemProperties>;

// (isvu): what the host reports about an entry ("clicked", "opened", "closed"...).
struct MenuEvent {
  int id = 0;
  QString eventId;
  QDBusVariant data;
  uint timestamp = 0;
};
using MenuEvents = QList<MenuEvent>;

// Makes the types above known to Qt D-Bus; safe to call more than once.
void registerTypes();

QDBusArgument& operator<<(QDBusArgument& argument, const IconPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, IconPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const ToolTip& toolTip);
const QDBusArgument& operator>>(const QDBusArgument& argument, ToolTip& toolTip);
QDBusArgument& operator<<(QDBusArgument& argument, const MenuLayout& layout);
const QDBusArgument& operator>>(const QDBusArgument& argument, MenuLayout& layout);
QDBusArgument& operator<<(QDBusArgument& argument, const MenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, MenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const MenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& argument, MenuEvent& event);

}  // namespace quorvane::dbus_tray

Q_DECLARE_METATYPE(quorvane::dbus_tray::IconPixmap)
Q_DECLARE_METATYPE(quorvane::dbus_tray::ToolTip)
Q_DECLARE_METATYPE(quorvane::dbus_tray::MenuLayout)
Q_DECLARE_METATYPE(quorvane::dbus_tray::MenuItemProperties)
Q_DECLARE_METATYPE(quorvane::dbus_tray::MenuEvent)
