#include "status/menu_model.h"
#include "common/machine_word.h"

#include <utility>

namespace quorvane {
namespace {

// Only an account known not to be an administrator's hides "Create User…": when in
// doubt the engine refuses the command itself.
bool knownNotAdministrator(const Json* account) {
  if (!account) return false;
  const Json* admin = member(*account, "admin");
  return admin && admin->is_boolean() && !admin->get<bool>();
}

}  // namespace

MenuItem item(std::string title, std::optional<MenuAction> action, bool enabled) {
  MenuItem made;
  made.title = std::move(title);
  made.action = action;
  made.enabled = enabled;
  return made;
}

Menu menuModel(const MenuFacts& facts) {
  const bool folder = facts.hasFolder;
  // Commands that run the engine must wait for the one running now.
  const bool engineFree = folder && !facts.busy;

  Menu menu;
  menu.reserve(17);
  menu.push_back(item(facts.statusLine, std::nullopt, false));
  menu.push_back(MenuItem::separator());
  menu.push_back(item("Open Shared Folder", MenuAction::openFolder, folder));
  menu.push_back(
      item(facts.paused ? "Resume Syncing" : "Pause Syncing", MenuAction::togglePause, engineFree));
  menu.push_back(item("Version History…", MenuAction::showHistory, engineFree));
  menu.push_back(item("Recovered Local Files", MenuAction::openRecovery, folder));
  menu.push_back(MenuItem::separator());
  menu.push_back(item("Account…", MenuAction::showAccount, engineFree));
  menu.push_back(item("Sign In Again…", MenuAction::signInAgain, engineFree));
  if (!knownNotAdministrator(facts.account)) {
    menu.push_back(item("Create User…", MenuAction::createUser, engineFree));
  }
  menu.push_back(item("Export Server Connection…", MenuAction::exportServer, engineFree));
  menu.push_back(MenuItem::separator());
  MenuItem login = item("Start at Login", MenuAction::toggleLogin);
  login.checked = facts.loginItem == LoginItemStatus::enabled;
  menu.push_back(login);
  menu.push_back(item(std::string("Set Up This ") + kMachine.capitalized + "…",
                      MenuAction::setupAction, !folder && !facts.busy));
  menu.push_back(item("About Quorvane", MenuAction::about));
  menu.push_back(MenuItem::separator());
  menu.push_back(item("Quit Quorvane", MenuAction::quit));
  return menu;
}

}  // namespace quorvane
