#include <gtest/gtest.h>

#include <string>

#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

const MenuItem& startAtLogin(const Menu& menu) {
  static const MenuItem none;
  for (const auto& entry : menu) {
    if (entry.title == "Start at Login") return entry;
  }
  ADD_FAILURE() << "no Start at Login";
  return none;
}

TEST(OpenFolder, OpensTheSyncFolderWhenThereIsOne) {
  AppHarness h;
  h.app->openFolder();
  EXPECT_TRUE(h.fake.ui.opened.empty());
  h.configure();
  h.app->openFolder();
  EXPECT_EQ(h.fake.ui.opened, std::vector<std::filesystem::path>{h.syncFolder()});
}

TEST(OpenRecovery, OpensWhateverIsThereElseExplains) {
  enum class There { nothing, folder, file };
  for (There there : {There::nothing, There::folder, There::file}) {
    AppHarness h;
    h.configure();
    const auto recovered = h.syncFolder() / ".quorvane" / "recovered";
    if (there == There::folder) std::filesystem::create_directories(recovered);
    if (there == There::file) writeFile(recovered, "not a folder");
    if (there == There::nothing) h.fake.ui.person.expectAlert("No recovered files yet");

    h.app->openRecovery();

    if (there == There::nothing) {
      EXPECT_TRUE(h.fake.ui.opened.empty());
      ASSERT_EQ(h.fake.ui.alerts.size(), 1u);
      EXPECT_EQ(h.fake.ui.alerts[0].informativeText,
                "Local files replaced or removed by sync are retained here. Each recovery folder "
                "contains the file and its original-path record.");
      EXPECT_TRUE(h.fake.ui.alerts[0].buttons.empty());
      EXPECT_EQ(h.fake.ui.activations, 1);
      EXPECT_FALSE(std::filesystem::exists(recovered));
    } else {
      EXPECT_EQ(h.fake.ui.opened, std::vector<std::filesystem::path>{recovered});
      EXPECT_TRUE(h.fake.ui.alerts.empty());
    }
  }
}

TEST(ToggleLogin, UnregistersOnlyWhenEnabledAndShowsTheNewState) {
  const struct {
    LoginItemStatus before;
    int registers, unregisters;
    bool checkedAfter;
  } cases[] = {
      {LoginItemStatus::notRegistered, 1, 0, true},
      {LoginItemStatus::enabled, 0, 1, false},
      {LoginItemStatus::requiresApproval, 1, 0, true},
      {LoginItemStatus::notFound, 1, 0, true},
  };
  for (const auto& c : cases) {
    AppHarness h;
    h.fake.system.loginStatus = c.before;
    h.launch();
    h.fake.ui.choose("Start at Login");
    EXPECT_EQ(h.fake.system.registerCalls, c.registers);
    EXPECT_EQ(h.fake.system.unregisterCalls, c.unregisters);
    EXPECT_EQ(h.fake.ui.statusLines().size(), 2u) << "refreshed after the change";
    EXPECT_EQ(startAtLogin(h.fake.ui.menu()).checked, c.checkedAfter);
  }
}

TEST(ToggleLogin, TellsWhyTheSystemRefusedAndLeavesTheMenu) {
  AppHarness h;
  h.fake.system.registerError = "Operation not permitted";
  h.launch();
  h.fake.ui.person.expectAlert("Login setting could not be changed");
  h.fake.ui.choose("Start at Login");
  ASSERT_EQ(h.fake.ui.alerts.size(), 1u);
  EXPECT_EQ(h.fake.ui.alerts[0].informativeText, "Operation not permitted");
  EXPECT_EQ(h.fake.ui.statusLines().size(), 1u);
  EXPECT_FALSE(startAtLogin(h.fake.ui.menu()).checked);
}

TEST(About, NamesTheVersionAndTheLog) {
  AppHarness h;
  h.launch();
  h.fake.ui.person.expectAlert("Quorvane 0.2");
  h.fake.ui.choose("About Quorvane");
  ASSERT_EQ(h.fake.ui.alerts.size(), 1u);
  EXPECT_EQ(h.fake.ui.alerts[0].informativeText,
            "Private folder sync on your local network.\n\nFiles are checked every five seconds. "
            "Both versions of conflicting edits are preserved. Server history is retained until "
            "an explicit cleanup.\n\nSymlinks, empty folders, permissions and extended "
            "attributes are not synchronised.\n\nLog: " +
                (h.dir / "data" / "Quorvane" / "sync.log").string());
  EXPECT_EQ(h.fake.ui.activations, 1);
}

}  // namespace
}  // namespace quorvane::testing
