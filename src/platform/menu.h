#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvane {

// The commands the status menu can send; the adapter hands the chosen one back to
// ApplicationDelegate::performMenuAction.
enum class MenuAction {
  openFolder,
  togglePause,
  showHistory,
  openRecovery,
  showAccount,
  signInAgain,
  createUser,
  exportServer,
  toggleLogin,
  setupAction,
  about,
  quit,
};

struct MenuItem {
  enum class Kind { item, separator };
  Kind kind = Kind::item;
  std::string title;
  std::optional<MenuAction> action;  // none: an informational line
  bool enabled = true;
  bool checked = false;

  static MenuItem separator() { return MenuItem{Kind::separator, {}, std::nullopt, false, false}; }
  bool operator==(const MenuItem&) const = default;
};

using Menu = std::vector<MenuItem>;

}  // namespace quorvane
