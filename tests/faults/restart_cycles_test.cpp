#include <sys/resource.h>

#include <gtest/gtest.h>

#include "faults/fault_support.h"
#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

using namespace std::chrono_literals;

// A watch that crashes at once is started again on every tick, forever: a
// thousand rounds must leave nothing behind.
TEST(RestartCycles, AThousandCrashesLeaveDescriptorsThreadsAndMemoryFlatAndNoZombie) {
  ::rlimit noCores{0, 0};
  ::setrlimit(RLIMIT_CORE, &noCores);
  AppHarness h;
  h.configure();
  h.writeStatus("synced", "All files up to date");
  h.bundle.setBehaviour(R"({"watch": {"crash_signal": 11}})");
  h.launch();

  // Each round: the tick starts a watch, which crashes and is reported ended.
  auto cycle = [&h] {
    h.fake.loop.advance(2.0);
    if (h.app->worker()) {
      ASSERT_TRUE(h.fake.loop.waitForPost(10s)) << "the watch did not end";
      h.fake.loop.runUntilIdle();
    }
    ASSERT_EQ(h.app->worker(), nullptr);
    h.fake.ui.clearStatusItemRecord();  // the test's memory, not the application's
  };
  for (int i = 0; i < 50; ++i) cycle();  // allocators and caches settle first
  const std::size_t descriptors = openDescriptorCount();
  const std::size_t threads = threadCount();
  [[maybe_unused]] const std::size_t resident = residentBytes();

  for (int i = 0; i < 1000 && !HasFatalFailure(); ++i) cycle();

  EXPECT_EQ(openDescriptorCount(), descriptors);
  // A waiter thread that has just reported may still be on its way out; a leak
  // would leave a thousand.
  EXPECT_LE(threadCount(), threads + 2);
#ifndef __SANITIZE_ADDRESS__  // its quarantine holds freed memory; its leak check stands in
  EXPECT_LT(residentBytes(), resident + (1 << 20));
#endif
  EXPECT_EQ(zombieChildren(), std::vector<pid_t>{});
  EXPECT_GE(h.bundle.journal().size(), 1050u);
}

}  // namespace
}  // namespace quorvane::testing
