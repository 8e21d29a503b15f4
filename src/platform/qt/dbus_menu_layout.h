#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

#include "platform/menu.h"
#include "platform/qt/dbus_tray_types.h"

// The status menu as com.canonical.dbusmenu entries. An entry with an action (each
// command appears once) has the same id in every rebuild, so a click a host
// reports for a menu it fetched before a rebuild still means the command the
// person saw.
namespace quorvane::dbus_menu {

inline constexpr int kRootId = 0;

// A title as dbusmenu shows it verbatim: '_' marks a mnemonic there, "__" is one
// underscore; everything else, '&' included, is literal.
QString label(const std::string& title);

// The id of the entry at `index`.
int entryId(const Menu& menu, std::size_t index);
// The entry with `id`, when the menu has one.
std::optional<std::size_t> entryIndex(const Menu& menu, int id);

// The entry's properties, only those named in `names` when it is not empty.
QVariantMap properties(const MenuItem& item, const QStringList& names = {});

// The properties of the entry with `id`, the root included; none for an unknown id.
std::optional<QVariantMap> properties(const Menu& menu, int id, const QStringList& names);

// The root (id 0) with its entries, or one entry; none for an unknown id.
// `depth` 0 leaves the children out, as the protocol asks.
std::optional<dbus_tray::MenuLayout> layout(const Menu& menu, int parentId, int depth,
                                            const QStringList& names);

}  // namespace quorvane::dbus_menu
