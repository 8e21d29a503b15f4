#include "platform/qt/dbus_menu_exporter.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QGuiApplication>

#include "platform/qt/dbus_menu_layout.h"

namespace quorvane {
namespace {

std::optional<MenuAction> enabledAction(const Menu& menu, int id) {
  auto index = dbus_menu::entryIndex(menu, id);
  if (!index || !menu[*index].enabled) return std::nullopt;
  return menu[*index].action;
}

}  // namespace

DBusMenuExporter::DBusMenuExporter(std::function<void(MenuAction)> choose)
    : choose_(std::move(choose)) {
  dbus_tray::registerTypes();
}

void DBusMenuExporter::setMenu(const Menu& menu) {
  if (menu == menu_) return;
  menu_ = menu;
  ++revision_;
  emit LayoutUpdated(revision_, dbus_menu::kRootId);
}

QString DBusMenuExporter::textDirection() const {
  return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl")
                                                               : QStringLiteral("ltr");
}

bool DBusMenuExporter::known(int id) const {
  return dbus_menu::properties(menu_, id, {}).has_value();
}

uint DBusMenuExporter::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                 dbus_tray::MenuLayout& layout) {
  auto found = dbus_menu::layout(menu_, parentId, recursionDepth, propertyNames);
  if (!found) {
    sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("No menu entry %1").arg(parentId));
    return 0;
  }
  if (parentId == dbus_menu::kRootId) served_ = menu_;
  layout = *found;
  return revision_;
}

QList<dbus_tray::MenuItemProperties> DBusMenuExporter::GetGroupProperties(
    const QList<int>& ids, const QStringList& propertyNames) {
  QList<dbus_tray::MenuItemProperties> result;
  for (int id : ids) {
    if (auto properties = dbus_menu::properties(menu_, id, propertyNames)) {
      result.append({id, *properties});
    }
  }
  return result;
}

QDBusVariant DBusMenuExporter::GetProperty(int id, const QString& name) {
  auto index = dbus_menu::entryIndex(menu_, id);
  const QVariantMap properties =
      index ? dbus_menu::properties(menu_[*index], {name}) : QVariantMap();
  if (!properties.contains(name)) {
    sendErrorReply(QDBusError::InvalidArgs,
                   QStringLiteral("No property %1 of entry %2").arg(name).arg(id));
    return {};
  }
  return QDBusVariant(properties.value(name));
}

void DBusMenuExporter::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
  if (eventId == QLatin1String("clicked")) clicked(id);
}

QList<int> DBusMenuExporter::EventGroup(const QList<dbus_tray::MenuEvent>& events) {
  QList<int> unknown;
  for (const dbus_tray::MenuEvent& event : events) {
    if (!known(event.id)) {
      unknown.append(event.id);
      continue;
    }
    Event(event.id, event.eventId, event.data, event.timestamp);
  }
  return unknown;
}

bool DBusMenuExporter::AboutToShow(int) {
  return false;  // the layout is always current
}

QList<int> DBusMenuExporter::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
  for (int id : ids) {
    if (!known(id)) idErrors.append(id);
  }
  return {};
}

void DBusMenuExporter::clicked(int id) {
  // A host may show the menu it fetched before the latest rebuild: a command that
  // was enabled there counts, as a choice in an open Qt menu does.
  auto action = enabledAction(menu_, id);
  if (!action) action = enabledAction(served_, id);
  if (action) choose_(*action);
}

}  // namespace quorvane
