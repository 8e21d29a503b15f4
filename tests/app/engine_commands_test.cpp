#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

// While a command runs the watch waits, the icon stays and the menu says so; the
// completion comes before the refresh, and one that runs another command keeps
// everything waiting until that one has completed too.
TEST(EngineCommands, RunHoldsTheWatchAndTheIconAndAFollowUpKeepsThemHeld) {
  AppHarness h;
  h.configure();
  h.writeStatus("synced", "All files up to date");
  h.launch();
  h.fake.loop.advance(2.0);
  const StatusItemRecord before = h.fake.ui.statusItem();
  h.engine->reply("export-profile", {2, "no such server\n"});
  h.engine->hold("export-profile");
  h.app->stop();
  std::vector<std::string> done;
  h.app->run({"export-profile"}, "input", [&](std::int32_t status, const std::string& text) {
    done.push_back(std::to_string(status) + " " + text);
    EXPECT_FALSE(h.app->busy());
    h.app->run({"account-info"}, std::nullopt, [&](std::int32_t, const std::string&) {
      done.push_back("second");
      EXPECT_EQ(h.engine->watchesStarted, 1) << "no watch between the two commands";
    });
  });
  EXPECT_TRUE(h.app->busy());
  EXPECT_EQ(h.fake.ui.statusLines().back(), "Working…");
  EXPECT_FALSE(h.fake.ui.enabled("Account…"));
  h.writeStatus("waiting", "Server unreachable");
  h.app->start();
  h.fake.loop.advance(6.0);
  EXPECT_EQ(h.app->worker(), nullptr);
  EXPECT_EQ(h.fake.ui.statusItem().images, before.images);
  EXPECT_EQ(h.fake.ui.statusLines().back(), "Working…");

  h.engine->finishHeld();
  h.fake.loop.runUntilIdle();
  EXPECT_EQ(done, (std::vector<std::string>{"2 no such server\n", "second"}));
  EXPECT_EQ(h.engine->runs.at(0).input, "input");
  EXPECT_NE(h.app->worker(), nullptr) << "at once, not at the next tick";
  EXPECT_EQ(h.fake.ui.statusLines().back(), "Server unreachable");
  EXPECT_TRUE(h.fake.ui.enabled("Account…"));
}

// The protocol no flow may forget a step of: watch stopped and busy from the
// opening, through every command and dialog, until the last holder lets go; then
// busy cleared and the watch started again, once.
TEST(EngineCommands, ASessionHoldsTheEngineUntilItsLastHolderLetsGo) {
  AppHarness h;
  h.configure();
  h.launch();
  h.writeStatus("waiting", "Server unreachable");
  std::vector<std::string> seen;
  auto state = [&h] {
    return std::string(h.app->busy() ? "busy" : "free") + (h.app->worker() ? " watch" : "");
  };
  {
    const std::shared_ptr<EngineSession> session = h.app->exclusiveSession();
    ASSERT_TRUE(session);
    seen.push_back(state());
    EXPECT_FALSE(h.fake.ui.enabled("Account…")) << "the menu shows it";
    EXPECT_EQ(h.app->exclusiveSession(), nullptr) << "one at a time";
    h.app->start();
    session->run(
        {"history"}, std::nullopt, [&](EngineSession& same, std::int32_t, const std::string&) {
          seen.push_back(state());
          same.run(
              {"restore"}, std::nullopt,
              [&](EngineSession&, std::int32_t, const std::string&) { seen.push_back(state()); });
        });
  }
  seen.push_back(state());
  h.fake.loop.runUntilIdle();
  seen.push_back(state());
  EXPECT_EQ(seen, (std::vector<std::string>{"busy", "busy", "busy", "busy", "free watch"}));
  EXPECT_EQ(h.engine->watchesStarted, 2);
  EXPECT_TRUE(h.fake.ui.enabled("Account…"));
  EXPECT_EQ(h.fake.ui.statusLines().back(), "Server unreachable") << "refreshed after its end";
}

}  // namespace
}  // namespace quorvane::testing
