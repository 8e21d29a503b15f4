// The engine program as child processes, through the application: where the watch
// writes, how one that will not end is ended, and what a missing engine shows.
#include "engine/process_engine.h"

#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

using namespace std::chrono_literals;

// Once the engine is there, each watch ends by itself and the next tick starts
// another, which appends to the same log until that has grown past 2,000,000
// bytes, when a new log begins.
TEST(ProcessEngine, AMissingEngineIsTheStatusLineAndEachWatchAppendsToTheLogUntilItIsTooLarge) {
  AppHarness h{EngineProgram{}};
  h.configure();
  const std::filesystem::path log = h.app->locations().syncLog();
  const std::string earlier(2'000'000 - 8, 'x'), written = "out\nerr\n";
  writeFile(log, earlier);
  h.bundle->setBehaviour(R"({"watch": {"stdout": "out\n", "stderr": "err\n"}})");
  std::filesystem::remove(h.bundle->engine());
  h.launch();
  EXPECT_EQ(h.fake.ui.statusLines().back(),
            "Could not start sync: No such file or directory: " + h.bundle->engine().string());
  std::filesystem::create_symlink(QUORVANE_FAKE_ENGINE, h.bundle->engine());
  for (const std::string& expected : {earlier + written, earlier + written + written, written}) {
    h.fake.loop.advance(2.0);  // the next tick
    ASSERT_NE(h.app->worker(), nullptr);
    ASSERT_TRUE(h.fake.loop.waitForPost(30s)) << "the watch did not end";
    h.fake.loop.runUntilIdle();
    EXPECT_EQ(h.app->worker(), nullptr);
    EXPECT_TRUE(readFile(log) == expected) << readFile(log).size();
  }
  const auto runs = h.bundle->journal();
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[2]["argv"], (std::vector<std::string>{"watch", "--config", h.config()}));
}

TEST(ProcessEngine, AWatchIgnoringTerminationIsKilledSoPauseAndQuitDoNotHang) {
  AppHarness h{EngineProgram{.stopGrace = 200ms}};
  h.configure();
  h.bundle->setBehaviour(R"({"watch": {"ignore_sigterm": true, "run_until_terminated": true}})");
  h.launch();
  std::size_t started = 0;
  for (const char* command : {"Pause Syncing", "Quit Quorvane"}) {
    const int pid = h.workerPid();
    ASSERT_GT(pid, 0);
    // Once it has journaled its start, it ignores SIGTERM.
    ++started;
    for (int i = 0; i < 3000 && h.bundle->journal().size() < started; ++i) {
      std::this_thread::sleep_for(10ms);
    }
    h.fake.ui.choose(command);
    EXPECT_EQ(h.app->worker(), nullptr);
    EXPECT_EQ(::kill(pid, 0), -1) << command << ": the watch is still there";
    if (std::string(command) == "Pause Syncing") h.fake.ui.choose("Resume Syncing");
  }
}

}  // namespace
}  // namespace quorvane::testing
