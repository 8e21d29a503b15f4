#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/client_config.h"
#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

constexpr int kSelf = FakeSystem::kProcessId;

TEST(Launch, QuitsAtOnceWhenAnotherInstanceRuns) {
  for (const bool another : {false, true}) {
    AppHarness h;
    h.configure();
    h.fake.system.runningProcessIds = another ? std::vector{kSelf + 1, kSelf} : std::vector{kSelf};
    h.launch();
    h.fake.loop.advance(10.0);
    EXPECT_EQ(h.fake.ui.terminations.size(), another ? 1u : 0u);
    EXPECT_EQ(h.fake.ui.statusItem().menus.empty(), another);
    EXPECT_EQ(h.engine->watchesStarted, another ? 0 : 1);
  }
}

TEST(Launch, WithoutConfigurationOffersSetupHalfASecondLaterAndStartsNothing) {
  AppHarness h;
  h.fake.system.argv = {"quorvane-menubar", "--enable-login"};
  h.launch();
  EXPECT_EQ(h.fake.ui.statusLines(), std::vector<std::string>{"Quorvane"});
  h.fake.loop.advance(0.49);
  EXPECT_TRUE(h.fake.ui.alerts.empty());
  h.fake.ui.expect({A, "Connect this computer", "Cancel"});
  h.fake.loop.advance(0.01);
  EXPECT_EQ(h.fake.system.registerCalls, 0);
  EXPECT_EQ(h.engine->watchesStarted, 0);
}

TEST(Launch, AConfigurationWithoutFolderOffersNoSetupStartsNothingAndGivesTheAccount) {
  AppHarness h;
  h.writeConfig(
      R"({"folder": null, "invitation": {"account": {"username": "ada", "admin": false}}})");
  h.launch();
  h.fake.loop.advance(4.0);
  EXPECT_TRUE(h.fake.ui.alerts.empty()) << "no setup offered";
  EXPECT_EQ(h.engine->watchesStarted, 0);
  EXPECT_FALSE(std::filesystem::exists(h.app->locations().syncLog())) << "the log is not touched";
  EXPECT_EQ(h.app->account(), (Json{{"username", "ada"}, {"admin", false}}));
  // From the very first menu on: it is what the person sees for two seconds.
  ASSERT_FALSE(h.fake.ui.statusItem().menus.empty());
  for (const Menu& menu : h.fake.ui.statusItem().menus) {
    for (const MenuItem& item : menu) EXPECT_NE(item.title, "Create User…");
  }
}

TEST(Launch, EnablesLoginOnlyForTheWholeArgumentAndLogsAFailure) {
  const struct {
    std::vector<std::string> argv;
    bool registers;
    std::optional<std::string> error = std::nullopt;
  } cases[] = {
      {{"quorvane-menubar"}, false},
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
    EXPECT_EQ(h.fake.system.logged,
              c.error ? std::vector<std::string>{"Start at Login could not be enabled: " + *c.error}
                      : std::vector<std::string>{});
    EXPECT_TRUE(h.fake.ui.alerts.empty());
    EXPECT_EQ(h.engine->watchesStarted, 1) << "syncs anyway";
  }
}

const std::string kDeep = std::string(100000, '[') + std::string(100000, ']');

TEST(ClientConfig, FolderIsTheFolderStringOnly) {
  const struct {
    const char* name;
    std::string content;
    std::optional<std::filesystem::path> folder;
  } cases[] = {
      {"a folder", R"({"folder": "/home/ada/Sync", "server": "x"})", "/home/ada/Sync"},
      {"a number", R"({"folder": 7})", std::nullopt},
      {"null", R"({"folder": null})", std::nullopt},
      {"empty", R"({"folder": ""})", std::nullopt},
      {"with a NUL", R"({"folder": "/home/ada\u0000/etc"})", std::nullopt},
      {"top level an array", R"([{"folder": "/x"}])", std::nullopt},
      {"10 MB", R"({"folder": "/x", "pad": ")" + std::string(10'000'000, 'a') + "\"}", "/x"},
      {"100,000 levels", R"({"folder": "/x", "deep": )" + kDeep + "}", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(folderInConfig(c.content), c.folder) << c.name;
}

TEST(ClientConfig, AccountIsTheInvitationsAccountObjectWhole) {
  const struct {
    const char* name;
    std::string content;
    std::optional<Json> account;
  } cases[] = {
      {"an account",
       R"({"invitation": {"account": {"username": "ada", "admin": false, "n": [1]}}})",
       Json{{"username", "ada"}, {"admin", false}, {"n", {1}}}},
      {"an empty account", R"({"invitation": {"account": {}}})", Json::object()},
      {"no account", R"({"invitation": {"server": "x"}})", std::nullopt},
      {"account not an object", R"({"invitation": {"account": "ada"}})", std::nullopt},
      {"invitation not an object", R"({"invitation": [{"account": {}}]})", std::nullopt},
      {"account at the top", R"({"account": {"username": "ada"}})", std::nullopt},
      {"100,000 levels", R"({"invitation": {"account": )" + kDeep + "}}", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(accountInConfig(c.content), c.account) << c.name;
}

}  // namespace
}  // namespace quorvane::testing
