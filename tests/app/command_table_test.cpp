#include "app/command_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quorvane {
namespace {

// The titles enabled, '*' after a checked one, '|' for a separator.
std::string enabledIn(const Menu& menu) {
  std::string shown;
  for (const MenuItem& item : menu) {
    if (item.kind == MenuItem::Kind::separator) shown += "|";
    if (item.enabled) shown += item.title + (item.checked ? "* " : " ");
  }
  return shown;
}

TEST(MenuModel, EnablesByFolderAndBusyAndChecksStartAtLoginOnlyWhenEnabled) {
  using Login = LoginItemStatus;
  const std::string always = "About Quorvane |Quit Quorvane ";
  const struct {
    bool folder, busy;
    Login login;
    std::string enabled;
  } cases[] = {
      {false, false, Login::notRegistered, "|||Start at Login Set Up This Computer… " + always},
      {true, true, Login::notRegistered,
       "|Open Shared Folder Recovered Local Files ||Start at Login " + always},
      {true, false, Login::enabled,
       "|Open Shared Folder Pause Syncing Version History… Recovered Local Files |Account… "
       "Sign In Again… Create User… Export Server Connection… |Start at Login* " +
           always},
      {false, true, Login::requiresApproval, "|||Start at Login " + always},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(
        enabledIn(menuModel(
            {.statusLine = "line", .hasFolder = c.folder, .busy = c.busy, .loginItem = c.login})),
        c.enabled)
        << c.folder << c.busy << static_cast<int>(c.login);
  }
  const Menu paused = menuModel({.statusLine = "Paused", .hasFolder = true, .paused = true});
  EXPECT_EQ(paused.front().title, "Paused");
  EXPECT_NE(enabledIn(paused).find("Resume Syncing"), std::string::npos);
}

TEST(MenuModel, HidesCreateUserOnlyForAKnownNonAdministratorAndOffersOnlyWhatItShows) {
  const struct {
    std::optional<Json> account;
    bool offered;
  } cases[] = {
      {Json{{"admin", false}}, false},   {Json{{"admin", true}}, true},
      {Json{{"admin", "false"}}, true},  {Json{{"admin", 0}}, true},
      {Json{{"username", "ada"}}, true}, {std::nullopt, true},
  };
  for (const auto& c : cases) {
    const MenuFacts facts{
        .statusLine = "", .hasFolder = true, .account = c.account ? &*c.account : nullptr};
    const Menu menu = menuModel(facts);
    const bool shown = std::any_of(menu.begin(), menu.end(), [](const MenuItem& item) {
      return item.title == "Create User…";
    });
    EXPECT_EQ(shown, c.offered) << (c.account ? c.account->dump() : "no account");
    EXPECT_EQ(offeredCommand(MenuAction::createUser, facts) != nullptr, c.offered);
  }
  EXPECT_EQ(
      offeredCommand(MenuAction::showAccount, {.statusLine = "", .hasFolder = true, .busy = true}),
      nullptr);
  EXPECT_NE(offeredCommand(MenuAction::about, {.statusLine = "", .hasFolder = true, .busy = true}),
            nullptr);
}

}  // namespace
}  // namespace quorvane
