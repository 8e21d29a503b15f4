// A menu drawn by a D-Bus host is clicked while a dialog is up, and may be a layout
// older than the last rebuild: the application itself refuses what would start a
// second flow or a second engine command. The menu model is tested last.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/command_table.h"
#include "support/flow_run.h"

namespace quorvane::testing {
namespace {

// What a click could have changed: engine runs, dialogs, files opened, login
// item changes, the watch, busy, paused.
std::string snapshot(const AppHarness& h) {
  const FakeUi& ui = h.fake.ui;
  return ::testing::PrintToString(std::tuple(
      h.engine->runs.size(), ui.alerts.size() + ui.openPanels.size() + ui.savePanels.size(),
      ui.opened.size(), h.fake.system.registerCalls + h.fake.system.unregisterCalls, h.workerPid(),
      h.app->busy(), h.app->paused()));
}

// Every command but Quit (all of them: `all`, else those the menu disables), as a
// host sends it; the menu itself must show whether the engine is busy.
void clickEverything(AppHarness& h, const std::string& state, bool all = true) {
  EXPECT_EQ(h.fake.ui.enabled("Account…") || h.fake.ui.enabled("Set Up This Computer…"),
            !h.app->busy())
      << "the menu shown while " << state;
  for (const Command& command : commandTable()) {
    if (command.action == MenuAction::quit || (!all && h.fake.ui.enabled(command.title))) continue;
    const std::string before = snapshot(h);
    h.app->performMenuAction(command.action);
    EXPECT_EQ(snapshot(h), before) << command.title << " while " << state;
  }
  if (!all) return;
  // Nor does a file opened meanwhile, should a platform hand one over.
  for (const char* file : {"/a.quorvane-server", "/an-invitation"}) {
    const std::string before = snapshot(h);
    h.app->applicationOpen({file});
    EXPECT_EQ(snapshot(h), before) << file << " opened while " << state;
  }
}

TEST(OneFlowAtATime, NoCommandButQuitStartsWhileADialogIsUpOrTheEngineIsBusy) {
  const std::string setUp = "Set Up This Computer…";
  const Step chooser{A, "Connect this computer", "Sign In"},
      pairing{A, "Connect this computer", "Use Pairing Invitation"},
      server{P, "Choose the server connection file", "{dir}/server"},
      credentials{A, "Sign in to Quorvane", "Sign In"},
      folder{P, "Choose your private sync folder", "{dir}/Other"},
      invitation{P, "Choose this computer’s pairing invitation", "{dir}/invitation"},
      pairFolder{P, "Choose the folder to keep in sync", "{dir}/Other"},
      again{A, "Sign in again", "Sign In"}, account{A, "Ana", "Set Up Sign-In…"},
      form{A, "Set up your account", "", {{3, "long enough!"}, {5, "long enough!"}}},
      restore{A, "Restore a file version"}, refused{A, "Could not sign in"},
      exportTo{S, "Export server connection", "{dir}/x"};
  const std::string again_ = "Sign In Again…", history = "Version History…", me = "Account…";
  const struct {
    const char* state;
    std::string menuItem;
    std::vector<Step> steps;
    int probeAt;  // the dialog during which to click; -1: while `held` runs
    const char* held = "";
  } rows[] = {
      // clang-format off
      {"the setup chooser is up", setUp, {{A, chooser.title, "Cancel"}}, 0},
      {"the sign-in alert is up", setUp, {chooser, server, {A, credentials.title, "Cancel"}}, 2},
      {"login runs", setUp, {chooser, server, credentials, folder, refused}, -1, "login"},
      {"the sign-in result is up", setUp, {chooser, server, credentials, folder, refused}, 4},
      {"the invitation panel is up", setUp, {pairing, {P, invitation.title}}, 1},
      {"pair runs", setUp, {pairing, invitation, pairFolder, {A, "Could not pair this computer"}},
       -1, "pair"},
      {"the \"Sign in again\" alert is up", again_, {{A, again.title, "Cancel"}}, 0},
      {"relogin runs", again_, {again, {A, "Signed in"}}, -1, "relogin"},
      {"its result is up", again_, {again, {A, "Signed in"}}, 1},
      {"account-info runs", me, {{A, account.title, "Done"}}, -1, "account-info"},
      {"the account is up", me, {{A, account.title, "Done"}}, 0},
      {"the account form is up", me, {account, {A, form.title, "Cancel"}}, 1},
      {"a refusal of the form is up", me, {account, {A, form.title}, {A, "Use a longer password"}},
       2},
      {"account-password runs", me, {account, form, {A, "Account updated"}}, -1,
       "account-password"},
      {"the user form is up", "Create User…", {{A, "Create a private user account", "Cancel"}}, 0},
      {"history runs", history, {{A, restore.title, "Cancel"}}, -1, "history"},
      {"the restore dialog is up", history, {{A, restore.title, "Cancel"}}, 0},
      {"restore runs", history, {restore, {A, "Version restored"}}, -1, "restore"},
      {"the export panel is up", "Export Server Connection…", {{S, exportTo.title}}, 0},
      {"export-profile runs", "Export Server Connection…", {exportTo}, -1, "export-profile"},
      {"the About box is up", "About Quorvane", {{A, "Quorvane 0.2"}}, 0},
      {"the recovery alert is up", "Recovered Local Files", {{A, "No recovered files yet"}}, 0},
      // clang-format on
  };
  for (const auto& row : rows) {
    AppHarness h;
    if (row.menuItem != setUp) h.configure();
    h.engine->reply("account-info", {0, R"({"display_name": "Ana", "admin": true})"});
    h.engine->reply("history", {0, R"([["a", {"revision": 1, "time": 0}]])"});
    h.engine->reply("login", {1, ""});
    h.engine->reply("pair", {1, ""});
    if (*row.held) h.engine->hold(row.held);
    h.launch();
    for (std::size_t i = 0; i < row.steps.size(); ++i) {
      Step step = row.steps[i];
      step.answer = expandPaths(h, step.answer);
      if (static_cast<int>(i) == row.probeAt)
        step.look = [&h, &row] { clickEverything(h, row.state); };
      h.fake.ui.expect(std::move(step));
    }
    h.fake.ui.choose(row.menuItem);
    if (row.probeAt < 0) clickEverything(h, row.state);
    h.engine->finishHeld();
    h.fake.loop.runUntilIdle();
    EXPECT_FALSE(h.app->busy()) << row.state;
  }
}

TEST(OneFlowAtATime, WhatTheMenuOfNowDoesNotOfferIsRefused) {
  for (const bool configured : {false, true}) {
    AppHarness h;
    if (configured) std::filesystem::create_directories(h.syncFolder());
    // An account known not to be an administrator's: no "Create User…".
    h.writeConfig(Json{{"folder", configured ? Json(h.syncFolder().string()) : Json()},
                       {"invitation", {{"account", {{"admin", false}}}}}}
                      .dump());
    h.launch();
    clickEverything(h, configured ? "configured" : "not configured", false);
  }
}

TEST(OneFlowAtATime, QuitStillQuitsWhileADialogIsUp) {
  AppHarness h;
  h.configure();
  h.launch();
  h.fake.ui.expect({A, "Sign in again", "Cancel", {}, -1, 0, [&] {
                      h.app->performMenuAction(MenuAction::quit);
                      EXPECT_EQ(h.fake.ui.terminations.size(), 1u);
                    }});
  h.fake.ui.choose("Sign In Again…");
  EXPECT_EQ(h.app->worker(), nullptr) << "ending the flow starts no watch";
}

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
}  // namespace quorvane::testing
