// What goes wrong around the watch process, each fault with real processes: what
// the person sees, and that syncing goes on once the fault is gone.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>

#include <gtest/gtest.h>

#include "faults/fault_support.h"
#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

void putFakeEngineBack(AppHarness& h) {
  fs::remove(h.bundle.engine());
  fs::create_symlink(QUORVANE_FAKE_ENGINE, h.bundle.engine());
}

// Lets the ended watch's report arrive, so the next tick starts another.
void awaitWatchEnd(AppHarness& h) {
  if (!h.app->worker()) return;
  ASSERT_TRUE(h.fake.loop.waitForPost(10s)) << "the watch did not end";
  h.fake.loop.runUntilIdle();
}

struct Fault {
  const char* name;
  std::function<void(AppHarness&)> inject;
  // The status line the person sees while it lasts; empty: the engine's own.
  std::function<std::string(AppHarness&)> seen;
  std::function<void(AppHarness&)> remove;
  bool watchEnds = false;
};

TEST(WatchFaults, EachIsShownOrSurvivedAndSyncingGoesOnOnceItIsGone) {
  ::rlimit noCores{0, 0};
  ::setrlimit(RLIMIT_CORE, &noCores);
  std::unique_ptr<PrivateMount> mount;  // the support folder's disk, where a row needs one

  const Fault faults[] = {
      {"engine missing", [](AppHarness& h) { fs::remove(h.bundle.engine()); },
       [](AppHarness& h) {
         return "Could not start sync: No such file or directory: " + h.bundle.engine().string();
       },
       putFakeEngineBack},
      {"engine not executable",
       [](AppHarness& h) {
         fs::remove(h.bundle.engine());
         writeFile(h.bundle.engine(), "#!/bin/sh\nexit 0\n");
         ::chmod(h.bundle.engine().c_str(), 0644);
       },
       [](AppHarness& h) {
         return "Could not start sync: Permission denied: " + h.bundle.engine().string();
       },
       putFakeEngineBack},
      {"crashing at start",
       [](AppHarness& h) { h.bundle.setBehaviour(R"({"watch": {"crash_signal": 11}})"); },
       [](AppHarness&) { return std::string(); },
       [](AppHarness& h) { h.bundle.setBehaviour("{}"); }, true},
      {"forking a child and exiting",
       [](AppHarness& h) {
         h.bundle.setBehaviour(R"({"watch": {"spawn_orphan_seconds": 20, "exit_code": 0}})");
       },
       [](AppHarness&) { return std::string(); },
       [](AppHarness& h) { h.bundle.setBehaviour("{}"); }, true},
      {"support folder not writable",
       [&mount](AppHarness& h) {
         mount = std::make_unique<PrivateMount>(h.support(), 1 << 20);
         ASSERT_EQ(mount->error(), "");
         h.configure();  // into the new disk
         ASSERT_EQ(mount->setReadOnly(true), std::nullopt);
       },
       [](AppHarness& h) {
         return "Could not start sync: Read-only file system: " + h.app->syncLog().string();
       },
       [&mount](AppHarness&) { ASSERT_EQ(mount->setReadOnly(false), std::nullopt); }},
      {"disk full while the log grows",
       [&mount](AppHarness& h) {
         mount = std::make_unique<PrivateMount>(h.support(), 64 << 10);
         ASSERT_EQ(mount->error(), "");
         h.configure();
         h.bundle.setBehaviour(
             R"({"watch": {"output_bytes": 1000000, "run_until_terminated": true}})");
       },
       [](AppHarness&) { return std::string(); },
       [](AppHarness& h) { h.bundle.setBehaviour("{}"); }},
  };

  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.name);
    AppHarness h;
    h.configure();
    fault.inject(h);
    if (mount && !mount->error().empty()) GTEST_SKIP() << "cannot mount here: " << mount->error();
    h.writeStatus("synced", "All files up to date");
    const std::string engineOwn = "All files up to date";
    const std::string seen = fault.seen(h);

    h.launch();
    if (!seen.empty()) {
      EXPECT_EQ(h.fake.ui.statusLines().back(), seen);
    }
    for (int tick = 0; tick < 3; ++tick) {
      if (fault.watchEnds) awaitWatchEnd(h);
      h.writeStatus("synced", engineOwn);
      h.fake.loop.advance(2.0);
      // Every tick tries again; its failure gives way to the engine's status at once.
      const std::vector<std::string> lines = h.fake.ui.statusLines();
      if (!seen.empty()) {
        EXPECT_EQ(lines[lines.size() - 2], seen);
      }
      EXPECT_EQ(lines.back(), engineOwn);
    }
    if (fault.watchEnds) {
      EXPECT_GE(h.bundle.journal().size(), 3u) << "restarted every tick";
    }
    if (fault.watchEnds) awaitWatchEnd(h);
    EXPECT_EQ(zombieChildren(), std::vector<pid_t>{});

    fault.remove(h);
    h.fake.loop.advance(2.0);
    ASSERT_NE(h.app->worker(), nullptr);
    EXPECT_TRUE(processExists(h.workerPid()));
    h.fake.ui.choose("Quit Quorvane");
    EXPECT_EQ(h.app->worker(), nullptr);
    mount.reset();
    std::ifstream orphans(h.bundle.engine().parent_path() / "orphans.txt");
    for (pid_t orphan; orphans >> orphan;) {
      EXPECT_TRUE(processExists(orphan)) << "outlived its watch";
      ::kill(orphan, SIGKILL);
    }
  }
}

TEST(WatchFaults, OneIgnoringTerminationIsKilledSoPauseAndQuitDoNotHang) {
  AppHarness h(200ms);
  h.configure();
  h.bundle.setBehaviour(R"({"watch": {"ignore_sigterm": true, "run_until_terminated": true}})");
  h.launch();
  for (const char* command : {"Pause Syncing", "Quit Quorvane"}) {
    const int pid = h.workerPid();
    ASSERT_GT(pid, 0);
    h.fake.ui.choose(command);
    EXPECT_EQ(h.app->worker(), nullptr);
    EXPECT_FALSE(processExists(pid)) << command;
    if (std::string(command) == "Pause Syncing") h.fake.ui.choose("Resume Syncing");
  }
}

}  // namespace
}  // namespace quorvane::testing
