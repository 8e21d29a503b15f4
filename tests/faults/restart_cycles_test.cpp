// A watch that crashes at once is started again on every tick, forever: a thousand
// rounds through the application and real processes must leave nothing behind.
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

using namespace std::chrono_literals;

std::size_t entries(const std::filesystem::path& folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

std::size_t residentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// This process's children that have ended but were never reaped.
std::vector<pid_t> zombieChildren() {
  std::vector<pid_t> zombies;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    // pid (comm) state ppid ...; comm may hold spaces and parentheses.
    std::istringstream rest(line.substr(line.rfind(')') + 1));
    char state = 0;
    pid_t parent = 0;
    rest >> state >> parent;
    if (state == 'Z' && parent == ::getpid()) zombies.push_back(std::stoi(entry.path().filename()));
  }
  return zombies;
}

TEST(RestartCycles, AThousandCrashesLeaveDescriptorsThreadsAndMemoryFlatAndNoZombie) {
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
    h.fake.ui.clearStatusItemRecord();  // the test's memory, not the application's
  };
  for (int i = 0; i < 50; ++i) cycle();  // allocators and caches settle first
  const std::size_t descriptors = entries("/proc/self/fd");
  const std::size_t threads = entries("/proc/self/task");
  [[maybe_unused]] const std::size_t resident = residentBytes();

  for (int i = 0; i < 1000 && !HasFatalFailure(); ++i) cycle();

  EXPECT_EQ(entries("/proc/self/fd"), descriptors);
  // A waiter thread that has just reported may still be on its way out; a leak
  // would leave a thousand.
  EXPECT_LE(entries("/proc/self/task"), threads + 2);
#ifndef __SANITIZE_ADDRESS__  // its quarantine holds freed memory; its leak check stands in
  EXPECT_LT(residentBytes(), resident + (1 << 20));
#endif
  EXPECT_EQ(zombieChildren(), std::vector<pid_t>{});
  EXPECT_GE(h.bundle->journal().size(), 1050u);
}

}  // namespace
}  // namespace quorvane::testing
