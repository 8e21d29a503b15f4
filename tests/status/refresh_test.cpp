#include <gtest/gtest.h>

#include <string>

#include "status/status_look.h"
#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

TEST(Refresh, FollowsTheStatusFileEveryTwoSecondsUntilItGoesStale) {
  AppHarness h;
  h.configure();
  h.launch();
  h.writeStatus("synced", "All files up to date");
  h.fake.loop.advance(2.0);
  EXPECT_EQ(h.fake.ui.statusItem().images.back(),
            (StatusImage{kSymbolSynced, "All files up to date"}));
  EXPECT_EQ(h.fake.ui.statusItem().toolTips.back(), "All files up to date");
  EXPECT_EQ(h.fake.ui.statusLines().back(), "All files up to date");

  h.writeStatus("waiting", "Server unreachable");
  h.fake.loop.advance(150.0);  // the last tick finds it exactly 150 s old
  EXPECT_EQ(h.fake.ui.statusItem().images.back(),
            (StatusImage{kSymbolWaiting, "Server unreachable"}));

  h.fake.loop.advance(2.0);
  EXPECT_EQ(h.fake.ui.statusItem().images.back(),
            (StatusImage{kSymbolAttention, "Sync needs attention — check the log"}));
  EXPECT_EQ(h.fake.ui.statusLines().back(), "Sync needs attention — check the log");
}

TEST(Refresh, CutsOnlyTheMenuLineToAHundredCharactersAsPeopleCountThem) {
  AppHarness h;
  h.configure();
  h.launch();
  std::string message;
  for (int i = 0; i < 250; ++i) message += "e\xCC\x81";  // e and a combining accent
  h.writeStatus("synced", message);
  h.fake.loop.advance(2.0);
  EXPECT_EQ(h.fake.ui.statusItem().toolTips.back(), message);
  EXPECT_EQ(h.fake.ui.statusItem().images.back().accessibility, message);
  EXPECT_EQ(h.fake.ui.statusLines().back(), message.substr(0, 300));
}

TEST(Refresh, WhilePausedShowsPausedAndKeepsTheIcon) {
  AppHarness h;
  h.configure();
  h.launch();
  h.writeStatus("synced", "All files up to date");
  h.fake.loop.advance(2.0);
  const StatusItemRecord before = h.fake.ui.statusItem();

  h.fake.ui.choose("Pause Syncing");
  h.writeStatus("waiting", "Server unreachable");
  h.fake.loop.advance(10.0);
  EXPECT_EQ(h.fake.ui.statusItem().images, before.images);
  EXPECT_EQ(h.fake.ui.statusItem().toolTips, before.toolTips);
  EXPECT_EQ(h.fake.ui.statusLines().back(), "Paused");
  EXPECT_EQ(h.app->worker(), nullptr);
}

TEST(Refresh, WithoutAButtonStillRebuildsTheMenu) {
  AppHarness h;
  h.fake.ui.setStatusItemHasButton(false);
  h.configure();
  h.launch();
  h.writeStatus("synced", "All files up to date");
  h.fake.loop.advance(2.0);
  EXPECT_TRUE(h.fake.ui.statusItem().images.empty());
  EXPECT_TRUE(h.fake.ui.statusItem().toolTips.empty());
  EXPECT_EQ(h.fake.ui.statusLines().back(), "All files up to date");
}

TEST(Refresh, TicksWaitForAModalAlertOrTheOpenMenuAndComeOnceAfter) {
  AppHarness h;
  h.writeConfig("{}");
  h.launch();
  h.fake.ui.person.expectAlert("Quorvane 0.2").press("OK").thinkFor(7.0);
  h.fake.ui.choose("About Quorvane");
  const std::size_t afterAlert = h.fake.ui.statusLines().size();
  EXPECT_EQ(afterAlert, 1u);  // launch only: no tick while the alert was up
  h.fake.loop.advance(0.0);
  EXPECT_EQ(h.fake.ui.statusLines().size(), afterAlert + 1);  // the ticks missed, as one
  h.fake.loop.advance(0.99);  // the schedule is kept: the next tick comes at 8.0
  EXPECT_EQ(h.fake.ui.statusLines().size(), afterAlert + 1);
  h.fake.loop.advance(0.01);
  EXPECT_EQ(h.fake.ui.statusLines().size(), afterAlert + 2);

  h.fake.ui.openMenu();
  h.fake.loop.advance(5.0);
  EXPECT_EQ(h.fake.ui.statusLines().size(), afterAlert + 2);
  h.fake.ui.closeMenu();
  h.fake.loop.advance(0.0);
  EXPECT_EQ(h.fake.ui.statusLines().size(), afterAlert + 3);
}

}  // namespace
}  // namespace quorvane::testing
