#include <gtest/gtest.h>

#include <string>

#include "status/simple_commands.h"
#include "status/status_look.h"
#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

TEST(Refresh, ShowsTheIconAtLaunchThenFollowsTheStatusFileEveryTwoSecondsUntilStale) {
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
  const std::string upToDate = "All files up to date";
  EXPECT_EQ(std::tuple(item.images.back(), item.toolTips.back(), h.fake.ui.statusLines().back()),
            std::tuple(StatusImage{kSymbolSynced, upToDate}, upToDate, upToDate));

  h.writeStatus("waiting", "Server unreachable");
  h.fake.loop.advance(150.0);  // the last tick finds it exactly 150 s old
  EXPECT_EQ(item.images.back(), (StatusImage{kSymbolWaiting, "Server unreachable"}));
  h.fake.loop.advance(2.0);
  const std::string stale = "Sync needs attention — check the log";
  EXPECT_EQ(item.images.back(), (StatusImage{kSymbolAttention, stale}));
  EXPECT_EQ(h.fake.ui.statusLines().back(), stale);

  // Neither the timer nor the watch keeps the application alive.
  std::weak_ptr<AppDelegate> weak = h.app;
  h.app.reset();
  EXPECT_TRUE(weak.expired());
}

TEST(Refresh, CutsOnlyTheMenuLineToAHundredCharactersAsPeopleCountThem) {
  std::string message;
  for (int i = 0; i < 250; ++i) message += "e\u0301";  // e and a combining accent
  for (bool button : {true, false}) {
    AppHarness h;
    h.fake.ui.statusItem().hasButton = button;  // without one, the menu is still rebuilt
    h.configure();
    h.launch();
    h.writeStatus("synced", message);
    h.fake.loop.advance(2.0);
    const auto& item = h.fake.ui.statusItem();
    EXPECT_EQ(item.toolTips, button ? std::vector{message} : std::vector<std::string>{});
    EXPECT_EQ(item.images.empty() ? "" : item.images.back().accessibility, button ? message : "");
    EXPECT_EQ(h.fake.ui.statusLines().back(), message.substr(0, 300));
  }
}

constexpr double kNow = 1'800'000'000.0;

// A status file with these members, updated `age` seconds before now.
std::string written(const std::string& members, double age = 10) {
  return "{" + members + ", \"updated_at\": " + std::to_string(kNow - age) + "}";
}

TEST(StatusLook, FollowsTheStatusFile) {
  const StatusLook neutral{kSymbolInProgress, "Waiting to connect"};
  const StatusLook attention{kSymbolAttention, "Sync needs attention — check the log"};
  const std::string synced = R"("state": "synced", "message": "m")";
  const struct {
    const char* name;
    std::optional<std::string> content;
    StatusLook look;
  } cases[] = {
      {"no folder or unreadable", std::nullopt, neutral},
      {"synced",
       written(R"("state": "synced", "message": "All files up to date")"),
       {kSymbolSynced, "All files up to date"}},
      {"waiting",
       written(R"("state": "waiting", "message": "Server unreachable")"),
       {kSymbolWaiting, "Server unreachable"}},
      {"other state",
       written(R"("state": "syncing", "message": "3 files")"),
       {kSymbolInProgress, "3 files"}},
      {"state compared with case",
       written(R"("state": "Synced", "message": "m")"),
       {kSymbolInProgress, "m"}},
      {"no message", written(R"("state": "synced")"), {kSymbolSynced, "Waiting to connect"}},
      {"message not a string",
       written(R"("state": "waiting", "message": ["m"])"),
       {kSymbolWaiting, "Waiting to connect"}},
      {"exactly 150 s old", written(synced, 150.0), {kSymbolSynced, "m"}},
      {"150.5 s old", written(synced, 150.5), attention},
      {"in the future", written(synced, -3600), {kSymbolSynced, "m"}},
      {"no updated_at", "{" + synced + "}", attention},
      {"updated_at as digits in a string",
       R"({"state": "synced", "updated_at": ")" + std::to_string(kNow) + "\"}", attention},
      {"empty object", "{}", attention},
      {"top level an array", "[{\"state\": \"synced\"}]", neutral},
      {"half written", R"({"state": "synced", "message": "All fi)", neutral},
      {"not UTF-8", written("\"state\": \"synced\", \"message\": \"\xff\""), neutral},
      {"100,000 levels",
       "{" + synced + ", \"x\": " + std::string(100000, '[') + std::string(100000, ']') + "}",
       neutral},
      {"10 MB of junk", std::string(10'000'000, 'x'), neutral},
  };
  for (const auto& c : cases) EXPECT_EQ(statusLook(c.content, kNow), c.look) << c.name;
}

TEST(OpenFolder, OpensTheFolderAndWhateverRecoveryHoldsElseExplains) {
  AppHarness none;
  openFolder(none.flows());
  openRecovery(none.flows());
  // Without a folder neither does anything.
  EXPECT_TRUE(none.fake.ui.opened.empty() && none.fake.ui.alerts.empty());
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
    EXPECT_EQ(std::pair(h.fake.system.registerCalls, h.fake.system.unregisterCalls),
              c.unregisters ? std::pair(0, 1) : std::pair(1, 0));
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
