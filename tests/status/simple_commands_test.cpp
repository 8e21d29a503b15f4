#include "status/simple_commands.h"

#include <gtest/gtest.h>

#include <string>

#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

TEST(OpenFolder, OpensTheFolderAndWhateverRecoveryHoldsElseExplains) {
  AppHarness none;
  openFolder(none.flows());
  openRecovery(none.flows());
  EXPECT_TRUE(none.fake.ui.opened.empty());  // without a folder neither does anything
  EXPECT_TRUE(none.fake.ui.alerts.empty());
  for (const std::string there : {"folder", "file", "nothing"}) {
    AppHarness h;
    h.configure();
    const auto recovered = h.syncFolder() / ".quorvane" / "recovered";
    if (there == "folder") std::filesystem::create_directories(recovered);
    if (there == "file") writeFile(recovered, "not a folder");
    const bool nothing = there == "nothing";
    if (nothing) h.fake.ui.expect({A, "No recovered files yet"});
    openFolder(h.flows());
    openRecovery(h.flows());
    std::vector<std::filesystem::path> opened{h.syncFolder()};
    if (!nothing) opened.push_back(recovered);
    EXPECT_EQ(h.fake.ui.opened, opened) << there;
    EXPECT_FALSE(nothing && std::filesystem::exists(recovered)) << "nothing is created";
  }
}

TEST(ToggleLogin, UnregistersOnlyWhenEnabledAndShowsTheNewStateOrWhyNot) {
  using Login = LoginItemStatus;
  const struct {
    Login before;
    std::optional<std::string> error;
    bool unregisters, checkedAfter;
  } cases[] = {
      {Login::notRegistered, {}, false, true},
      {Login::enabled, {}, true, false},
      {Login::requiresApproval, {}, false, true},
      {Login::notFound, {}, false, true},
      {Login::notRegistered, "Operation not permitted", false, false},
  };
  for (const auto& c : cases) {
    AppHarness h;
    h.fake.system.loginStatus = c.before;
    h.fake.system.registerError = c.error;
    h.launch();
    if (c.error) h.fake.ui.expect({A, "Login setting could not be changed"});
    h.fake.ui.choose("Start at Login");
    EXPECT_EQ(h.fake.system.registerCalls, c.unregisters ? 0 : 1);
    EXPECT_EQ(h.fake.system.unregisterCalls, c.unregisters ? 1 : 0);
    // Refreshed after a change; a refusal is told and leaves the menu.
    EXPECT_EQ(h.fake.ui.statusLines().size(), c.error ? 1u : 2u);
    ASSERT_NE(h.fake.ui.menuItem("Start at Login"), nullptr);
    EXPECT_EQ(h.fake.ui.menuItem("Start at Login")->checked, c.checkedAfter);
    EXPECT_EQ(h.fake.ui.alerts.empty() ? "" : h.fake.ui.alerts[0].informativeText,
              c.error.value_or(""));
  }
}

}  // namespace
}  // namespace quorvane::testing
