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
      {{kSelf}, false},
      {{kSelf, kSelf + 1}, true},
  };
  for (const auto& c : cases) {
    AppHarness h;
    h.configure();
    h.fake.system.runningProcessIds = c.running;
    h.launch();
    h.fake.loop.advance(10.0);
    EXPECT_EQ(h.fake.ui.terminations,
              c.quits ? std::vector{TerminateReply::now} : std::vector<TerminateReply>{});
    EXPECT_EQ(h.fake.ui.statusItemsCreated, c.quits ? 0 : 1);
    EXPECT_EQ(h.app->worker() != nullptr, !c.quits);
    EXPECT_TRUE(!c.quits || h.bundle.journal().empty()) << "no engine ran";
  }
}

TEST(Launch, WithoutConfigurationOffersSetupAndStartsNothing) {
  AppHarness h;
  h.fake.system.argv = {"quorvane-menubar", "--enable-login"};
  h.launch();
  EXPECT_EQ(h.fake.ui.statusLines(), std::vector<std::string>{"Quorvane"});
  EXPECT_EQ(h.fake.loop.delayedTimes(), std::vector<double>{FakeLoop::kStartTime + 0.5});
  h.fake.ui.person.expectAlert("Connect this computer", "Cancel");
  h.fake.loop.advance(0.5);
  EXPECT_TRUE(h.fake.loop.delayedTimes().empty());
  EXPECT_EQ(h.fake.system.registerCalls, 0);
  EXPECT_EQ(h.app->worker(), nullptr);
  EXPECT_TRUE(h.bundle.journal().empty());
}

TEST(Launch, ConfigurationWithoutFolderOnlyGivesTheInvitationsAccount) {
  AppHarness h;
  h.writeConfig(
      R"({"folder": null, "invitation": {"account": {"username": "ada", "admin": false}}})");
  h.launch();
  h.fake.loop.advance(4.0);
  EXPECT_TRUE(h.fake.loop.delayedTimes().empty()) << "no setup offered";
  h.app->start();
  EXPECT_EQ(h.app->worker(), nullptr);
  EXPECT_TRUE(h.bundle.journal().empty());
  EXPECT_FALSE(std::filesystem::exists(h.app->syncLog())) << "the log is not touched";
  EXPECT_EQ(h.app->account(), (Json{{"username", "ada"}, {"admin", false}}));
  // From the very first menu on: it is what the person sees for two seconds.
  for (const auto& menu : h.fake.ui.statusItem().menus) {
    for (const auto& entry : menu) EXPECT_NE(entry.title, "Create User…");
  }
}

TEST(Launch, AnAccountNestedTooDeepToHandleIsNoAccount) {
  AppHarness h;
  const std::size_t depth = 65000;
  std::string account;
  for (std::size_t i = 0; i < depth; ++i) account += R"({"a":)";
  account += "1" + std::string(depth, '}');
  h.writeConfig(R"({"invitation": {"account": )" + account + "}}");
  h.launch();
  EXPECT_EQ(h.app->account(), std::nullopt);
}

TEST(Launch, EnablesLoginOnlyForTheWholeArgumentAndLogsAFailure) {
  const std::string failure = "Start at Login could not be enabled: Operation not permitted";
  const struct {
    std::vector<std::string> argv;
    bool registers;
    std::optional<std::string> error = std::nullopt;
  } cases[] = {
      {{"quorvane-menubar"}, false},
      {{"quorvane-menubar", "--enable-login"}, true},
      {{"quorvane-menubar", "-v", "--enable-login"}, true},
      {{"quorvane-menubar", "--enable-login=yes", "--Enable-Login"}, false},
      {{"--enable-login", "-v"}, false},  // the program's own name is not an argument
      {{"quorvane-menubar", "--enable-login"}, true, "Operation not permitted"},
  };
  for (const auto& c : cases) {
    AppHarness h;
    h.configure();
    h.fake.system.argv = c.argv;
    h.fake.system.registerError = c.error;
    h.launch();
    EXPECT_EQ(h.fake.system.registerCalls, c.registers ? 1 : 0) << ::testing::PrintToString(c.argv);
    EXPECT_EQ(h.fake.system.logLines(),
              c.error ? std::vector{failure} : std::vector<std::string>{});
    EXPECT_TRUE(h.fake.ui.alerts.empty());
    EXPECT_NE(h.app->worker(), nullptr) << "syncs anyway";
  }
}

}  // namespace
}  // namespace quorvane::testing
