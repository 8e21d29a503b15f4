#pragma once

#include <QMenu>
#include <functional>
#include <memory>

#include "platform/menu.h"

namespace quorvane {

// A QMenu showing `menu`; choosing an item calls `choose` with its action, from
// inside the menu's own event handling.
std::unique_ptr<QMenu> buildStatusMenu(const Menu& menu, std::function<void(MenuAction)> choose);

// Login is the one toggle; showing it as one also when off tells people so.
inline bool showsAsToggle(const MenuItem& item) {
  return item.checked || item.action == MenuAction::toggleLogin;
}

// A title as QAction shows it verbatim: '&' would otherwise mark a mnemonic and a
// tab would start the shortcut column.
QString literalMenuText(const std::string& title);

}  // namespace quorvane
