#include "status/menu_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane {
namespace {

TEST(MenuModel, ShowsTheseTitlesWithTheirActionsAndTheStatusLineWhole) {
  const std::string line = "Could not start sync: " + std::string(150, 'x');
  std::string titles;
  std::vector<std::optional<MenuAction>> actions;
  for (const auto& entry : menuModel({.statusLine = line})) {
    const bool separator = entry.kind == MenuItem::Kind::separator;
    titles += (separator ? "-" : entry.title) + "|";
    if (!separator) actions.push_back(entry.action);
  }
  EXPECT_EQ(titles,
            line +
                "|-|Open Shared Folder|Pause Syncing|Version History…|Recovered Local Files|-|"
                "Account…|Sign In Again…|Create User…|Export Server Connection…|-|"
                "Start at Login|Set Up This Computer…|About Quorvane|-|Quit Quorvane|");
  using enum MenuAction;
  EXPECT_EQ(actions,
            (std::vector<std::optional<MenuAction>>{
                std::nullopt, openFolder, togglePause, showHistory, openRecovery, showAccount,
                signInAgain, createUser, exportServer, toggleLogin, setupAction, about, quit}));
  EXPECT_EQ(menuModel({.statusLine = line, .paused = true})[3].title, "Resume Syncing");
}

TEST(MenuModel, EnablesByFolderAndBusyAndChecksStartAtLoginOnlyWhenEnabled) {
  using Login = LoginItemStatus;
  const struct {
    bool folder, busy, paused;
    Login login;
    // An entry each: '-' a separator, '.' disabled, '+' enabled, '*' checked ('#' if disabled).
    std::string marks;
  } cases[] = {
      {false, false, false, Login::notRegistered, ".-....-....-+++-+"},
      {true, true, false, Login::notRegistered, ".-+..+-....-+.+-+"},
      {true, false, true, Login::notRegistered, ".-++++-++++-+.+-+"},
      {false, true, false, Login::enabled, ".-....-....-*.+-+"},
      {false, true, false, Login::requiresApproval, ".-....-....-+.+-+"},
  };
  for (const auto& c : cases) {
    std::string marks;
    for (const auto& entry : menuModel({.statusLine = "line",
                             .hasFolder = c.folder,
                             .busy = c.busy,
                             .paused = c.paused,
                             .loginItem = c.login})) {
      if (entry.kind == MenuItem::Kind::separator) {
        marks += '-';
      } else {
        marks += entry.checked ? (entry.enabled ? '*' : '#') : (entry.enabled ? '+' : '.');
      }
    }
    EXPECT_EQ(marks, c.marks) << c.folder << c.busy << c.paused << static_cast<int>(c.login);
  }
}

TEST(MenuModel, HidesCreateUserOnlyForAKnownNonAdministrator) {
  const struct {
    std::optional<Json> account;
    bool offered;
  } cases[] = {
      {Json{{"admin", false}}, false},   {Json{{"admin", true}}, true},
      {Json{{"admin", "false"}}, true},  {Json{{"admin", 0}}, true},
      {Json{{"username", "ada"}}, true}, {std::nullopt, true},
  };
  for (const auto& c : cases) {
    const Menu menu = menuModel(
        {.statusLine = "line", .hasFolder = true, .account = c.account ? &*c.account : nullptr});
    EXPECT_EQ(menu[9].title, c.offered ? "Create User…" : "Export Server Connection…")
        << (c.account ? c.account->dump() : "no account");
  }
}

}  // namespace
}  // namespace quorvane
