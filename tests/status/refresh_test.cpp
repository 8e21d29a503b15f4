#include <gtest/gtest.h>

#include <string>

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
  EXPECT_EQ(item.images.back(), (StatusImage{kSymbolSynced, "All files up to date"}));
  EXPECT_EQ(item.toolTips.back(), "All files up to date");
  EXPECT_EQ(h.fake.ui.statusLines().back(), "All files up to date");

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

}  // namespace
}  // namespace quorvane::testing
