#pragma once

#include <optional>
#include <string>

#include "common/json_document.h"
#include "platform/menu.h"
#include "platform/system.h"

namespace quorvane {

// Everything the status menu depends on, taken at the moment it is built.
struct MenuFacts {
  std::string statusLine;
  bool hasFolder = false;
  bool busy = false;
  bool paused = false;
  const Json* account = nullptr;  // the last account details, when known
  LoginItemStatus loginItem = LoginItemStatus::notRegistered;
};

// An item that sends `action` to the application when chosen; no action makes it
// an informational line.
MenuItem item(std::string title, std::optional<MenuAction> action, bool enabled = true);

// The whole status menu, top to bottom.
Menu menuModel(const MenuFacts& facts);

}  // namespace quorvane
