#include "app/command_table.h"

#include <vector>

#include "account/account_flows.h"
#include "app/app_delegate.h"
#include "common/machine_word.h"
#include "history/show_history.h"
#include "onboarding/onboarding_flows.h"
#include "status/simple_commands.h"

namespace quorvane {
namespace {

bool always(const MenuFacts&) {
  return true;
}

bool withFolder(const MenuFacts& facts) {
  return facts.hasFolder;
}

// Commands that run the engine wait for the one running now.
bool engineFree(const MenuFacts& facts) {
  return facts.hasFolder && !facts.busy;
}

bool unconfigured(const MenuFacts& facts) {
  return !facts.hasFolder && !facts.busy;
}

// Only an account known not to be an administrator's hides "Create User…": when in
// doubt the engine refuses the command itself.
bool notKnownNonAdministrator(const MenuFacts& facts) {
  const Json* admin = facts.account ? member(*facts.account, "admin") : nullptr;
  return !(admin && admin->is_boolean() && !admin->get<bool>());
}

std::vector<Command> makeTable() {
  using enum MenuAction;
  return {
      {.action = openFolder,
       .title = "Open Shared Folder",
       .enabled = withFolder,
       .run = [](AppDelegate& app) { quorvane::openFolder(app.flows()); },
       .separatorBefore = true},
      {.action = togglePause,
       .title = "Pause Syncing",
       .enabled = engineFree,
       .run = [](AppDelegate& app) { app.togglePause(); },
       .titleFor =
           [](const MenuFacts& facts) {
             return std::string(facts.paused ? "Resume Syncing" : "Pause Syncing");
           }},
      {.action = showHistory,
       .title = "Version History…",
       .enabled = engineFree,
       .run = [](AppDelegate& app) { quorvane::showHistory(app.flows()); }},
      {.action = openRecovery,
       .title = "Recovered Local Files",
       .enabled = withFolder,
       .run = [](AppDelegate& app) { quorvane::openRecovery(app.flows()); }},
      {.action = showAccount,
       .title = "Account…",
       .enabled = engineFree,
       .run = [](AppDelegate& app) { quorvane::showAccount(app.flows()); },
       .separatorBefore = true},
      {.action = signInAgain,
       .title = "Sign In Again…",
       .enabled = engineFree,
       .run = [](AppDelegate& app) { quorvane::signInAgain(app.flows()); }},
      {.action = createUser,
       .title = "Create User…",
       .enabled = engineFree,
       .run = [](AppDelegate& app) { quorvane::createUser(app.flows()); },
       .shown = notKnownNonAdministrator},
      {.action = exportServer,
       .title = "Export Server Connection…",
       .enabled = engineFree,
       .run = [](AppDelegate& app) { quorvane::exportServer(app.flows()); }},
      {.action = toggleLogin,
       .title = "Start at Login",
       .enabled = always,
       .run =
           [](AppDelegate& app) {
             if (quorvane::toggleLogin(app.flows())) app.refresh();
           },
       .separatorBefore = true,
       .checked =
           [](const MenuFacts& facts) { return facts.loginItem == LoginItemStatus::enabled; }},
      {.action = setupAction,
       .title = std::string("Set Up This ") + kMachine.capitalized + "…",
       .enabled = unconfigured,
       .run = [](AppDelegate& app) { quorvane::setupAction(app.flows()); }},
      {.action = about,
       .title = "About Quorvane",
       .enabled = always,
       .run = [](AppDelegate& app) { quorvane::about(app.flows()); }},
      {.action = quit,
       .title = "Quit Quorvane",
       .enabled = always,
       .run = [](AppDelegate& app) { app.quit(); },
       .separatorBefore = true},
  };
}

bool shownIn(const Command& command, const MenuFacts& facts) {
  return !command.shown || command.shown(facts);
}

}  // namespace

std::span<const Command> commandTable() {
  static const std::vector<Command> table = makeTable();
  return table;
}

Menu menuModel(const MenuFacts& facts) {
  Menu menu;
  menu.reserve(2 * commandTable().size());  // the refresh tick builds one every two seconds
  menu.push_back({MenuItem::Kind::item, facts.statusLine, std::nullopt, false, false});
  for (const Command& command : commandTable()) {
    if (!shownIn(command, facts)) continue;
    if (command.separatorBefore) menu.push_back(MenuItem::separator());
    menu.push_back(MenuItem{
        MenuItem::Kind::item, command.titleFor ? command.titleFor(facts) : command.title,
        command.action, command.enabled(facts), command.checked && command.checked(facts)});
  }
  return menu;
}

const Command* offeredCommand(MenuAction action, const MenuFacts& facts) {
  for (const Command& command : commandTable()) {
    if (command.action == action) {
      return shownIn(command, facts) && command.enabled(facts) ? &command : nullptr;
    }
  }
  return nullptr;
}

}  // namespace quorvane
