#pragma once

#include <optional>
#include <span>
#include <string>

#include "common/json_document.h"
#include "platform/menu.h"
#include "platform/system.h"

namespace quorvane {

class AppDelegate;

// Everything the status menu depends on, taken at the moment it is built.
struct MenuFacts {
  std::string statusLine;
  bool hasFolder = false;
  bool busy = false;
  bool paused = false;
  const Json* account = nullptr;  // the last account details, when known
  LoginItemStatus loginItem = LoginItemStatus::notRegistered;
};

// One command of the status menu: its title, when it is offered, and what it runs.
// A new command is a row of the table and the flow it runs.
struct Command {
  MenuAction action;
  std::string title;
  bool (*enabled)(const MenuFacts&);
  void (*run)(AppDelegate&);
  bool separatorBefore = false;
  std::string (*titleFor)(const MenuFacts&) = nullptr;  // for a title that follows the state
  bool (*shown)(const MenuFacts&) = nullptr;            // none: always in the menu
  bool (*checked)(const MenuFacts&) = nullptr;          // none: never checked
};

// Every command, top to bottom.
std::span<const Command> commandTable();

// The whole status menu: the status line, then every command shown.
Menu menuModel(const MenuFacts& facts);

// The command of `action` when the menu built from `facts` holds it enabled.
const Command* offeredCommand(MenuAction action, const MenuFacts& facts);

}  // namespace quorvane
