#include "platform/qt/dbus_menu_layout.h"

#include "platform/qt/status_menu.h"

namespace quorvane::dbus_menu {
namespace {

// Entries without an action (the status line, separators) are numbered by place,
// after the ids of the actions.
constexpr int kPlacedIds = 1000;

QVariantMap filtered(QVariantMap all, const QStringList& names) {
  if (names.isEmpty()) return all;
  QVariantMap kept;
  for (const QString& name : names) {
    if (all.contains(name)) kept.insert(name, all.value(name));
  }
  return kept;
}

}  // namespace

QString label(const std::string& title) {
  QString text = QString::fromStdString(title);
  text.replace(QLatin1Char('_'), QStringLiteral("__"));
  return text;
}

int entryId(const Menu& menu, std::size_t index) {
  const MenuItem& item = menu[index];
  if (item.action) return 1 + static_cast<int>(*item.action);
  return kPlacedIds + static_cast<int>(index);
}

std::optional<std::size_t> entryIndex(const Menu& menu, int id) {
  for (std::size_t i = 0; i < menu.size(); ++i) {
    if (entryId(menu, i) == id) return i;
  }
  return std::nullopt;
}

QVariantMap properties(const MenuItem& item, const QStringList& names) {
  QVariantMap all;
  if (item.kind == MenuItem::Kind::separator) {
    all.insert(QStringLiteral("type"), QStringLiteral("separator"));
    return filtered(all, names);
  }
  all.insert(QStringLiteral("label"), label(item.title));
  all.insert(QStringLiteral("enabled"), item.enabled);
  if (showsAsToggle(item)) {
    all.insert(QStringLiteral("toggle-type"), QStringLiteral("checkmark"));
    all.insert(QStringLiteral("toggle-state"), item.checked ? 1 : 0);
  }
  return filtered(all, names);
}

std::optional<QVariantMap> properties(const Menu& menu, int id, const QStringList& names) {
  if (id == kRootId) {
    return filtered({{QStringLiteral("children-display"), QStringLiteral("submenu")}}, names);
  }
  auto index = entryIndex(menu, id);
  if (!index) return std::nullopt;
  return properties(menu[*index], names);
}

std::optional<dbus_tray::MenuLayout> layout(const Menu& menu, int parentId, int depth,
                                            const QStringList& names) {
  dbus_tray::MenuLayout result;
  result.id = parentId;
  if (parentId != kRootId) {
    auto index = entryIndex(menu, parentId);
    if (!index) return std::nullopt;
    result.properties = properties(menu[*index], names);
    return result;
  }
  result.properties =
      filtered({{QStringLiteral("children-display"), QStringLiteral("submenu")}}, names);
  if (depth == 0) return result;
  for (std::size_t i = 0; i < menu.size(); ++i) {
    result.children.append({entryId(menu, i), properties(menu[i], names), {}});
  }
  return result;
}

}  // namespace quorvane::dbus_menu
