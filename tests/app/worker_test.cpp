#include <gtest/gtest.h>
#include <signal.h>

#include <string>

#include "support/app_harness.h"
#include "support/engine_gate.h"

namespace quorvane::testing {
namespace {

using namespace std::chrono_literals;

// A watch that writes its output and ends by itself, so that its output is all in
// the log once its termination has been reported.
constexpr const char* kWatchWritesAndEnds =
    R"({"watch": {"stdout": "out\n", "stderr": "err\n", "exit_code": 0}})";

void waitForTerminationReport(AppHarness& h) {
  ASSERT_TRUE(h.fake.loop.waitForPost(60s));
  h.fake.loop.runUntilIdle();
}

TEST(Worker, AppendsBothStreamsToTheLogUnlessItHasGrownTooLarge) {
  const struct {
    std::size_t size;
    bool kept;
  } cases[] = {{2'000'000, true}, {2'000'001, false}};
  for (const auto& c : cases) {
    AppHarness h;
    h.configure();
    const std::string earlier(c.size, 'x');
    writeFile(h.app->syncLog(), earlier);
    h.bundle.setBehaviour(kWatchWritesAndEnds);
    h.launch();
    ASSERT_NE(h.app->worker(), nullptr);
    waitForTerminationReport(h);
    EXPECT_EQ(h.app->worker(), nullptr);
    EXPECT_TRUE(readFile(h.app->syncLog()) == (c.kept ? earlier : "") + "out\nerr\n") << c.size;
    if (!c.kept) {
      EXPECT_EQ(
          std::filesystem::status(h.app->syncLog()).permissions() & std::filesystem::perms::all,
          std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    }
    ASSERT_EQ(h.bundle.journal().size(), 1u);
    EXPECT_EQ(h.bundle.journal()[0].arguments,
              (std::vector<std::string>{"watch", "--config", h.app->config().string()}));
  }
}

TEST(Worker, RestartAfterKillAppendsToTheSameLog) {
  AppHarness h;
  h.configure();
  writeFile(h.app->syncLog(), "earlier\n");
  h.launch();
  const int first = h.workerPid();
  ASSERT_GT(first, 0);
  h.app->start();
  h.fake.loop.advance(4.0);
  EXPECT_EQ(h.workerPid(), first) << "neither start() nor a tick adds a second watch";
  ASSERT_EQ(::kill(first, SIGKILL), 0);
  waitForTerminationReport(h);
  EXPECT_EQ(h.app->worker(), nullptr);

  h.bundle.setBehaviour(kWatchWritesAndEnds);
  h.fake.loop.advance(2.0);  // the next tick
  const int second = h.workerPid();
  EXPECT_GT(second, 0);
  EXPECT_NE(second, first);
  waitForTerminationReport(h);
  const std::string log = readFile(h.app->syncLog());
  EXPECT_EQ(log.rfind("earlier\n", 0), 0u) << log;
  EXPECT_TRUE(log.ends_with("out\nerr\n")) << log;
  EXPECT_EQ(h.bundle.journal().back().pid, second);
}

TEST(Worker, PauseStopsTheWatchAndKeepsTheIconResumeStartsOneAtOnceQuitEndsIt) {
  AppHarness h;
  h.configure();
  h.launch();
  h.writeStatus("synced", "All files up to date");
  h.fake.loop.advance(2.0);
  const StatusItemRecord before = h.fake.ui.statusItem();
  const int first = h.workerPid();
  ASSERT_GT(first, 0);

  h.fake.ui.choose("Pause Syncing");
  EXPECT_EQ(h.app->worker(), nullptr);
  EXPECT_FALSE(processExists(first));
  h.writeStatus("waiting", "Server unreachable");
  h.app->start();
  h.fake.loop.advance(10.0);
  EXPECT_EQ(h.app->worker(), nullptr);
  EXPECT_EQ(h.fake.ui.statusItem().images, before.images);
  EXPECT_EQ(h.fake.ui.statusItem().toolTips, before.toolTips);
  EXPECT_EQ(h.fake.ui.statusLines().back(), "Paused");

  const std::size_t menusBefore = h.fake.ui.statusItem().menus.size();
  h.fake.ui.choose("Resume Syncing");
  const int second = h.workerPid();
  EXPECT_GT(second, 0);
  EXPECT_EQ(h.fake.ui.statusItem().menus.size(), menusBefore + 1) << "refreshed after resuming";
  EXPECT_EQ(h.fake.ui.menu()[3].title, "Pause Syncing");

  h.fake.ui.choose("Quit Quorvane");
  EXPECT_EQ(h.fake.ui.terminations, std::vector<TerminateReply>{TerminateReply::now});
  EXPECT_EQ(h.app->worker(), nullptr);
  EXPECT_FALSE(processExists(second));
}

TEST(Worker, ALateReportKeepsTheNewWatchWhichStopKillsIfItIgnoresTermination) {
  AppHarness h(200ms);
  EngineGate gate;
  h.configure();
  h.bundle.setBehaviour(R"({"watch": {"exit_code": 0}})");
  h.launch();
  ASSERT_TRUE(h.fake.loop.waitForPost(60s));  // the first watch ended; its report waits
  h.bundle.setBehaviour(Json{{"watch",
                              {{"ignore_sigterm", true},
                               {"run_until_terminated", true},
                               {"write_files", gate.writeFiles()}}}}
                            .dump());
  h.app->stop();
  h.app->start();
  const int second = h.workerPid();
  ASSERT_GT(second, 0);
  h.fake.loop.advance(0.0);  // delivers the first watch's report
  EXPECT_EQ(h.workerPid(), second);

  gate.pass();  // it now ignores SIGTERM
  h.app->stop();
  EXPECT_EQ(h.app->worker(), nullptr);
  EXPECT_FALSE(processExists(second));
}

}  // namespace
}  // namespace quorvane::testing
