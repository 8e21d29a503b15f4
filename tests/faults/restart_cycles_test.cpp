// A watch that crashes at once is started again on every tick, forever: a thousand
// rounds (fewer under the sanitizers) through the application and real processes
// must leave nothing behind.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>

#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

using namespace std::chrono_literals;

// Each start of an engine built with a sanitizer takes tens of milliseconds.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kCycles = 250;
#else
constexpr int kCycles = 1000;
#endif

std::size_t entries(const std::filesystem::path& folder) {
  return std::distance(std::filesystem::directory_iterator(folder), {});
}

std::size_t residentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// Whether a child of this process has ended and was never reaped (left as it is).
bool zombieChild() {
  siginfo_t info{};
  return ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid != 0;
}

TEST(RestartCycles, CrashAfterCrashLeavesDescriptorsThreadsAndMemoryFlatAndNoZombie) {
  ::rlimit noCores{0, 0};
  ::setrlimit(RLIMIT_CORE, &noCores);
  AppHarness h{EngineProgram{}};
  h.configure();
  h.writeStatus("synced", "All files up to date");
  h.bundle->setBehaviour(R"({"watch": {"crash_signal": 11}})");
  h.launch();

  // Each round: the tick starts a watch, which crashes and is reported ended.
  auto cycle = [&h] {
    h.fake.loop.advance(2.0);
    if (h.app->worker()) {
      ASSERT_TRUE(h.fake.loop.waitForPost(10s)) << "the watch did not end";
      h.fake.loop.runUntilIdle();
    }
    ASSERT_EQ(h.app->worker(), nullptr);
    h.fake.ui.statusItem() = StatusItemRecord{};  // the test's memory, not the application's
  };
  for (int i = 0; i < 50; ++i) cycle();  // allocators and caches settle first
  const std::size_t descriptors = entries("/proc/self/fd");
  const std::size_t threads = entries("/proc/self/task");
  [[maybe_unused]] const std::size_t resident = residentBytes();

  for (int i = 0; i < kCycles && !HasFatalFailure(); ++i) cycle();

  EXPECT_EQ(entries("/proc/self/fd"), descriptors);
  // A waiter thread that has just reported may still be on its way out; a leak
  // would leave one for every round.
  EXPECT_LE(entries("/proc/self/task"), threads + 2);
#ifndef __SANITIZE_ADDRESS__  // its quarantine holds freed memory; its leak check stands in
  EXPECT_LT(residentBytes(), resident + (1 << 20));
#endif
  EXPECT_FALSE(zombieChild());
  EXPECT_GE(h.bundle->journal().size(), kCycles + 50u);
}

}  // namespace
}  // namespace quorvane::testing
