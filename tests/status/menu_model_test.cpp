#include "status/menu_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane {
namespace {

// Each entry as "title" with "-" for a separator, "+" before an enabled item and
// "*" before a checked one.
std::vector<std::string> shown(const Menu& menu) {
  std::vector<std::string> entries;
  for (const auto& entry : menu) {
    if (entry.kind == MenuItem::Kind::separator) {
      entries.push_back("-");
      continue;
    }
    entries.push_back(std::string(entry.checked ? "*" : "") + (entry.enabled ? "+" : "") +
                      entry.title);
  }
  return entries;
}

TEST(MenuModel, EnablesCommandsByFolderAndBusy) {
  const struct {
    bool folder, busy, paused;
    std::vector<std::string> menu;
  } cases[] = {
      {false,
       false,
       false,
       {"line", "-", "Open Shared Folder", "Pause Syncing", "Version History…",
        "Recovered Local Files", "-", "Account…", "Sign In Again…", "Create User…",
        "Export Server Connection…", "-", "+Start at Login", "+Set Up This Mac…", "+About Quorvane",
        "-", "+Quit Quorvane"}},
      {true,
       true,
       false,
       {"line", "-", "+Open Shared Folder", "Pause Syncing", "Version History…",
        "+Recovered Local Files", "-", "Account…", "Sign In Again…", "Create User…",
        "Export Server Connection…", "-", "+Start at Login", "Set Up This Mac…", "+About Quorvane",
        "-", "+Quit Quorvane"}},
      {true,
       false,
       true,
       {"line", "-", "+Open Shared Folder", "+Resume Syncing", "+Version History…",
        "+Recovered Local Files", "-", "+Account…", "+Sign In Again…", "+Create User…",
        "+Export Server Connection…", "-", "+Start at Login", "Set Up This Mac…", "+About Quorvane",
        "-", "+Quit Quorvane"}},
      {false,
       true,
       false,
       {"line", "-", "Open Shared Folder", "Pause Syncing", "Version History…",
        "Recovered Local Files", "-", "Account…", "Sign In Again…", "Create User…",
        "Export Server Connection…", "-", "+Start at Login", "Set Up This Mac…", "+About Quorvane",
        "-", "+Quit Quorvane"}},
  };
  for (const auto& c : cases) {
    const Menu menu = menuModel(
        {.statusLine = "line", .hasFolder = c.folder, .busy = c.busy, .paused = c.paused});
    EXPECT_EQ(shown(menu), c.menu) << c.folder << c.busy << c.paused;
  }
}

TEST(MenuModel, SendsEachItemsOwnAction) {
  const Menu menu = menuModel({.statusLine = "line"});
  std::vector<std::optional<MenuAction>> actions;
  for (const auto& entry : menu) {
    if (entry.kind == MenuItem::Kind::item) actions.push_back(entry.action);
  }
  using enum MenuAction;
  EXPECT_EQ(actions,
            (std::vector<std::optional<MenuAction>>{
                std::nullopt, openFolder, togglePause, showHistory, openRecovery, showAccount,
                signInAgain, createUser, exportServer, toggleLogin, setupAction, about, quit}));
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
    const std::vector<std::string> entries = shown(menuModel(
        {.statusLine = "line", .hasFolder = true, .account = c.account ? &*c.account : nullptr}));
    EXPECT_EQ(entries[9], c.offered ? "+Create User…" : "+Export Server Connection…")
        << (c.account ? c.account->dump() : "no account");
  }
}

TEST(MenuModel, ChecksStartAtLoginOnlyWhenEnabled) {
  const struct {
    LoginItemStatus status;
    const char* shown;
  } cases[] = {
      {LoginItemStatus::notRegistered, "+Start at Login"},
      {LoginItemStatus::enabled, "*+Start at Login"},
      {LoginItemStatus::requiresApproval, "+Start at Login"},
      {LoginItemStatus::notFound, "+Start at Login"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(shown(menuModel({.statusLine = "line", .busy = true, .loginItem = c.status}))[12],
              c.shown);
  }
}

TEST(MenuModel, ShowsTheStatusLineWholeAndDisabled) {
  const std::string line = "Could not start sync: " + std::string(150, 'x');
  EXPECT_EQ(shown(menuModel({.statusLine = line, .hasFolder = true})).front(), line);
}

}  // namespace
}  // namespace quorvane
