#pragma once

#include <QMenu>
#include <functional>
#include <memory>

#include "platform/menu.h"

namespace quorvane {

// A QMenu showing `menu`; choosing an item calls `choose` with its action, from
// inside the menu's own event handling.
std::unique_ptr<QMenu> buildStatusMenu(const Menu& menu, std::function<void(MenuAction)> choose);

// A title as QAction shows it verbatim: '&' would otherwise mark a mnemonic and a
// tab would start the shortcut column.
QString literalMenuText(const std::string& title);

}  // namespace quorvane
