#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

constexpr int kSelf = FakeSystem::kProcessId;

TEST(Launch, QuitsAtOnceWhenAnotherInstanceRuns) {
  const struct {
    std::vector<int> running;
    bool quits;
  } cases[] = {
      {{}, false},
      {{kSelf}, false},
      {{kSelf + 1, kSelf}, true},
      {{kSelf, kSelf + 1}, true},
  };
  for (const auto& c : cases) {
    AppHarness h;
    h.configure();
    h.fake.system.runningProcessIds = c.running;
    h.launch();
    h.fake.loop.advance(10.0);
    if (c.quits) {
      EXPECT_EQ(h.fake.ui.terminations, std::vector<TerminateReply>{TerminateReply::now});
      EXPECT_EQ(h.fake.ui.statusItemsCreated, 0);
      EXPECT_EQ(h.app->worker(), nullptr);
      EXPECT_TRUE(h.bundle.journal().empty());
    } else {
      EXPECT_TRUE(h.fake.ui.terminations.empty());
      EXPECT_EQ(h.fake.ui.statusItemsCreated, 1);
      EXPECT_NE(h.app->worker(), nullptr);
    }
  }
}

TEST(Launch, ShowsTheIconAndMenuAndFirstRefreshesTwoSecondsLater) {
  AppHarness h;
  h.configure();
  h.writeStatus("synced", "All files up to date");
  h.launch();
  const auto& item = h.fake.ui.statusItem();
  EXPECT_EQ(item.images, (std::vector<StatusImage>{{"arrow.triangle.2.circlepath", "Quorvane"}}));
  EXPECT_TRUE(item.toolTips.empty());
  EXPECT_EQ(h.fake.ui.statusLines(), std::vector<std::string>{"Quorvane"});
  EXPECT_NE(h.app->worker(), nullptr);

  h.fake.loop.advance(1.99);
  EXPECT_EQ(item.images.size(), 1u);
  h.fake.loop.advance(0.01);
  EXPECT_EQ(item.images.back(), (StatusImage{"checkmark.icloud", "All files up to date"}));
}

TEST(Launch, NeitherTheTimerNorTheWatchKeepTheApplicationAlive) {
  AppHarness h;
  h.configure();
  h.launch();
  ASSERT_NE(h.app->worker(), nullptr);
  std::weak_ptr<AppDelegate> weak = h.app;
  h.app.reset();
  EXPECT_TRUE(weak.expired());
}

TEST(Launch, WithoutConfigurationOffersSetupAndStartsNothing) {
  AppHarness h;
  h.fake.system.argv = {"quorvane-menubar", "--enable-login"};
  h.launch();
  EXPECT_EQ(h.fake.ui.statusLines(), std::vector<std::string>{"Quorvane"});
  EXPECT_EQ(h.fake.loop.delayedTimes(), std::vector<double>{FakeLoop::kStartTime + 0.5});
  h.fake.loop.advance(0.5);
  EXPECT_TRUE(h.fake.loop.delayedTimes().empty());
  EXPECT_EQ(h.fake.system.registerCalls, 0);
  EXPECT_EQ(h.app->worker(), nullptr);
  EXPECT_TRUE(h.bundle.journal().empty());
}

TEST(Launch, ConfigurationWithoutFolderNeitherOffersSetupNorSyncs) {
  AppHarness h;
  h.writeConfig(R"({"folder": null})");
  h.launch();
  h.fake.loop.advance(4.0);
  EXPECT_TRUE(h.fake.loop.delayedTimes().empty());
  EXPECT_EQ(h.app->worker(), nullptr);
  EXPECT_TRUE(h.bundle.journal().empty());
}

TEST(Launch, EnablesLoginOnlyForTheWholeArgument) {
  const struct {
    std::vector<std::string> argv;
    bool registers;
  } cases[] = {
      {{"quorvane-menubar"}, false},
      {{"quorvane-menubar", "--enable-login"}, true},
      {{"quorvane-menubar", "-v", "--enable-login"}, true},
      {{"quorvane-menubar", "--enable-login", "--enable-login"}, true},
      {{"quorvane-menubar", "--enable-login=yes"}, false},
      {{"quorvane-menubar", "--enable-logins"}, false},
      {{"quorvane-menubar", "--Enable-Login"}, false},
      {{"quorvane-menubar", " --enable-login"}, false},
      {{"--enable-login"}, false},
  };
  for (const auto& c : cases) {
    AppHarness h;
    h.writeConfig("{}");
    h.fake.system.argv = c.argv;
    h.launch();
    EXPECT_EQ(h.fake.system.registerCalls, c.registers ? 1 : 0) << ::testing::PrintToString(c.argv);
    EXPECT_TRUE(h.fake.system.logLines().empty());
  }
}

TEST(Launch, LogsAFailedLoginRegistrationAndSyncsAnyway) {
  AppHarness h;
  h.configure();
  h.fake.system.argv = {"quorvane-menubar", "--enable-login"};
  h.fake.system.registerError = "Operation not permitted";
  h.launch();
  EXPECT_EQ(
      h.fake.system.logLines(),
      std::vector<std::string>{"Start at Login could not be enabled: Operation not permitted"});
  EXPECT_TRUE(h.fake.ui.alerts.empty());
  EXPECT_NE(h.app->worker(), nullptr);
}

TEST(Launch, TakesTheAccountFromTheInvitation) {
  AppHarness h;
  h.writeConfig(R"({"invitation": {"account": {"username": "ada", "admin": false}}})");
  h.launch();
  EXPECT_EQ(h.app->account(), (Json{{"username", "ada"}, {"admin", false}}));
  for (const auto& entry : h.fake.ui.menu()) EXPECT_NE(entry.title, "Create User…");
}

}  // namespace
}  // namespace quorvane::testing
