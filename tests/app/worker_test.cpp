#include <gtest/gtest.h>

#include <string>

#include "status/status_look.h"
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

// Each watch ends by itself here; the next tick starts another, which appends to
// the same log until it has grown past 2,000,000 bytes, when a new log begins.
TEST(Worker, EachWatchAppendsBothStreamsToTheLogUntilItHasGrownTooLarge) {
  AppHarness h;
  h.configure();
  const std::string earlier(2'000'000 - 8, 'x'), written = "out\nerr\n";
  writeFile(h.app->syncLog(), earlier);
  h.bundle.setBehaviour(kWatchWritesAndEnds);
  h.launch();
  const std::string logs[] = {earlier + written, earlier + written + written, written};
  for (const std::string& log : logs) {
    if (&log != logs) h.fake.loop.advance(2.0);  // the next tick
    ASSERT_NE(h.app->worker(), nullptr);
    waitForTerminationReport(h);
    EXPECT_EQ(h.app->worker(), nullptr);
    EXPECT_TRUE(readFile(h.app->syncLog()) == log) << log.size();
  }
  EXPECT_EQ(std::filesystem::status(h.app->syncLog()).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  const auto runs = h.bundle.journal();
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_NE(runs[0].pid, runs[1].pid);
  for (const auto& run : runs) {
    EXPECT_EQ(run.arguments,
              (std::vector<std::string>{"watch", "--config", h.app->config().string()}));
  }
}

// While paused, and while a command runs, the watch waits and the icon stays as it
// was; at the end of either a watch starts at once and the status shows again.
TEST(Worker, PausedOrBusyTheWatchWaitsAndTheIconStaysThenSyncingResumesAtOnce) {
  for (const bool paused : {true, false}) {
    SCOPED_TRACE(paused ? "paused" : "busy");
    AppHarness h;
    EngineGate gate;
    h.configure();
    h.launch();
    h.writeStatus("synced", "All files up to date");
    h.fake.loop.advance(2.0);
    const StatusItemRecord before = h.fake.ui.statusItem();
    const int first = h.workerPid();
    ASSERT_GT(first, 0);

    if (paused) {
      h.fake.ui.choose("Pause Syncing");
    } else {
      h.bundle.setBehaviour(Json{{"history", {{"write_files", gate.writeFiles()}}}}.dump());
      h.app->stop();
      h.app->run({"history"}, std::nullopt, [](std::int32_t, const std::string&) {});
    }
    EXPECT_FALSE(processExists(first));
    h.writeStatus("waiting", "Server unreachable");
    h.app->start();
    h.fake.loop.advance(6.0);  // a busy engine waits at the gate meanwhile
    EXPECT_EQ(h.app->worker(), nullptr);
    EXPECT_EQ(h.fake.ui.statusItem().images, before.images);
    EXPECT_EQ(h.fake.ui.statusItem().toolTips, before.toolTips);
    EXPECT_EQ(h.fake.ui.statusLines().back(), paused ? "Paused" : "Working…");

    if (paused) {
      h.fake.ui.choose("Resume Syncing");
    } else {
      gate.pass();
      h.fake.loop.runUntilIdle();
    }
    const int second = h.workerPid();
    EXPECT_GT(second, 0) << "at once, not at the next tick";
    EXPECT_EQ(h.fake.ui.statusItem().images.back(),
              (StatusImage{kSymbolWaiting, "Server unreachable"}));
    EXPECT_EQ(h.fake.ui.menu()[3].title, "Pause Syncing");
    h.fake.ui.choose("Quit Quorvane");
    EXPECT_EQ(h.fake.ui.terminations, std::vector<TerminateReply>{TerminateReply::now});
    EXPECT_FALSE(processExists(second));
  }
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
  h.app->start();
  h.fake.loop.advance(2.0);
  EXPECT_EQ(h.workerPid(), second) << "neither start() nor a tick adds a second watch";

  gate.pass();  // it now ignores SIGTERM
  h.app->stop();
  EXPECT_EQ(h.app->worker(), nullptr);
  EXPECT_FALSE(processExists(second));
}

}  // namespace
}  // namespace quorvane::testing
