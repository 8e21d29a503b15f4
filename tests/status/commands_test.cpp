#include <gtest/gtest.h>

#include <string>

#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

TEST(OpenFolder, OpensTheFolderAndWhateverRecoveryHoldsElseExplains) {
  AppHarness none;
  none.app->openFolder();
  none.app->openRecovery();
  EXPECT_TRUE(none.fake.ui.opened.empty());  // without a folder neither does anything
  EXPECT_TRUE(none.fake.ui.alerts.empty());
  for (const std::string there : {"folder", "file", "nothing"}) {
    AppHarness h;
    h.configure();
    const auto recovered = h.syncFolder() / ".quorvane" / "recovered";
    if (there == "folder") std::filesystem::create_directories(recovered);
    if (there == "file") writeFile(recovered, "not a folder");
    const bool nothing = there == "nothing";
    if (nothing) h.fake.ui.person.expectAlert("No recovered files yet");
    h.app->openFolder();
    h.app->openRecovery();
    std::vector<std::filesystem::path> opened{h.syncFolder()};
    if (!nothing) opened.push_back(recovered);
    EXPECT_EQ(h.fake.ui.opened, opened) << there;
    EXPECT_EQ(h.fake.ui.activations, nothing ? 1 : 0);
    EXPECT_FALSE(nothing && std::filesystem::exists(recovered)) << "nothing is created";
    EXPECT_EQ(h.fake.ui.alerts.size(), nothing ? 1u : 0u);
  }
}

TEST(ToggleLogin, UnregistersOnlyWhenEnabledAndShowsTheNewStateOrWhyNot) {
  using Login = LoginItemStatus;
  const struct {
    Login before;
    std::optional<std::string> error;
    int registers, unregisters;
    bool checkedAfter;
  } cases[] = {
      {Login::notRegistered, {}, 1, 0, true},
      {Login::enabled, {}, 0, 1, false},
      {Login::requiresApproval, {}, 1, 0, true},
      {Login::notFound, {}, 1, 0, true},
      {Login::notRegistered, "Operation not permitted", 1, 0, false},
  };
  for (const auto& c : cases) {
    AppHarness h;
    h.fake.system.loginStatus = c.before;
    h.fake.system.registerError = c.error;
    h.launch();
    if (c.error) h.fake.ui.person.expectAlert("Login setting could not be changed");
    h.fake.ui.choose("Start at Login");
    EXPECT_EQ(h.fake.system.registerCalls, c.registers);
    EXPECT_EQ(h.fake.system.unregisterCalls, c.unregisters);
    // Refreshed after a change; a refusal is told and leaves the menu.
    EXPECT_EQ(h.fake.ui.statusLines().size(), c.error ? 1u : 2u);
    EXPECT_EQ(h.fake.ui.menu()[12].title, "Start at Login");
    EXPECT_EQ(h.fake.ui.menu()[12].checked, c.checkedAfter);
    EXPECT_EQ(h.fake.ui.alerts.empty() ? "" : h.fake.ui.alerts[0].informativeText,
              c.error.value_or(""));
  }
}

}  // namespace
}  // namespace quorvane::testing
