#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "support/app_harness.h"
#include "support/engine_gate.h"

namespace quorvane::testing {
namespace {

// The runner runs on a background thread here, as in the product.
TEST(Run, ShowsWorkingAndDeliversOnTheMainThreadBeforeRefreshingUnlessAnotherFollows) {
  AppHarness h;
  h.launch();
  h.bundle.setBehaviour(R"({"export-profile": {"stderr": "no such server\n", "exit_code": 2}})");
  const auto mainThread = std::this_thread::get_id();
  std::vector<std::string> done;
  h.app->run({"export-profile", "--config", h.app->config().string()}, R"({"password":"pw"})",
             [&](std::int32_t status, const std::string& text) {
               done.push_back(text);
               EXPECT_EQ(status, 2);
               EXPECT_FALSE(h.app->busy());
               EXPECT_EQ(std::this_thread::get_id(), mainThread);
               h.app->run({"account-info"}, std::nullopt, [&](std::int32_t, const std::string&) {
                 EXPECT_FALSE(h.app->busy());
                 done.push_back("second");
               });
             });
  EXPECT_TRUE(h.app->busy());
  EXPECT_EQ(h.fake.ui.statusLines().back(), "Working…");
  ASSERT_EQ(h.fake.ui.menu()[13].title, "Set Up This Mac…");
  EXPECT_FALSE(h.fake.ui.menu()[13].enabled);

  h.fake.loop.runUntilIdle();
  EXPECT_EQ(done, (std::vector<std::string>{"no such server\n", "second"}));
  // The refresh after the first command found the second running and kept "Working…".
  EXPECT_EQ(h.fake.ui.statusLines(),
            (std::vector<std::string>{"Quorvane", "Working…", "Working…", "Waiting to connect"}));
  ASSERT_EQ(h.bundle.journal().size(), 2u);
  EXPECT_EQ(h.bundle.journal()[0].input, R"({"password":"pw"})");
}

TEST(Run, WhileBusyTheIndicatorAndTheWatchWait) {
  AppHarness h;
  EngineGate gate;
  h.configure();
  h.launch();
  h.writeStatus("synced", "All files up to date");
  h.fake.loop.advance(2.0);
  const StatusItemRecord before = h.fake.ui.statusItem();

  h.bundle.setBehaviour(Json{{"history", {{"write_files", gate.writeFiles()}}}}.dump());
  h.app->stop();
  h.app->run({"history"}, std::nullopt, [](std::int32_t, const std::string&) {});
  h.writeStatus("waiting", "Server unreachable");
  h.app->start();
  h.fake.loop.advance(6.0);  // the engine waits at the gate meanwhile
  EXPECT_EQ(h.app->worker(), nullptr);
  EXPECT_EQ(h.fake.ui.statusItem().images, before.images);
  EXPECT_EQ(h.fake.ui.statusItem().menus.size(), before.menus.size() + 1);
  EXPECT_EQ(h.fake.ui.statusLines().back(), "Working…");

  gate.pass();
  h.fake.loop.runUntilIdle();
  EXPECT_EQ(h.fake.ui.statusItem().images.back().symbol, "exclamationmark.icloud");
  EXPECT_NE(h.app->worker(), nullptr) << "the refresh after the command restarts the watch";
}

}  // namespace
}  // namespace quorvane::testing
