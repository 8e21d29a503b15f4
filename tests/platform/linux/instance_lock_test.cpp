// The running instance is the holder of a lock in the runtime folder; what a
// second launch does with the files it was given is in qt/qt_loop_test.cpp.
#include "platform/linux/instance_lock.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/linux/linux_system.h"
#include "platform/linux/scoped_environment.h"
#include "support/temp_dir.h"

namespace quorvane {
namespace {

const std::string kId = LinuxSystem::kBundleIdentifier;

// Launches at the same moment, each in a process of its own: exactly one is the
// running instance and sees itself; the other sees that one, or -1 while its pid
// is still being written, never itself.
TEST(LinuxSystem, OfSimultaneousLaunchesExactlyOneRuns) {
  for (int round = 0; round < 20; ++round) {
    testing::TempDir temp;
    testing::ScopedEnvironment runtime("XDG_RUNTIME_DIR", temp.path().string());
    int start[2], finish[2], results[2];
    ASSERT_EQ(::pipe(start) | ::pipe(finish) | ::pipe(results), 0);
    for (int contender = 0; contender < 2; ++contender) {
      if (::fork() != 0) continue;
      char c;
      ::close(start[1]);
      ::close(finish[1]);
      (void)!::read(start[0], &c, 1);  // both go when the test closes `start`
      LinuxSystem system({});
      const int report[2] = {::getpid(), system.runningApplicationProcessIds(kId).at(0)};
      (void)!::write(results[1], report, sizeof report);
      (void)!::read(finish[0], &c, 1);  // the winner holds on until both have reported
      ::_exit(0);
    }
    for (int fd : {start[0], start[1], finish[0], results[1]}) ::close(fd);
    int reports[2][2] = {};
    for (auto& report : reports) {
      ASSERT_EQ(::read(results[0], report, sizeof report), static_cast<ssize_t>(sizeof report));
    }
    for (int fd : {finish[1], results[0]}) ::close(fd);
    while (::wait(nullptr) > 0) {
    }
    const bool firstWon = reports[0][1] == reports[0][0];
    const auto& winner = reports[firstWon ? 0 : 1];
    const auto& loser = reports[firstWon ? 1 : 0];
    ASSERT_EQ(winner[1], winner[0]) << "round " << round;
    EXPECT_TRUE(loser[1] == winner[0] || loser[1] == -1) << loser[1];
  }
}

TEST(LinuxSystem, RunningInstanceHoldsTheLockUntilItEnds) {
  testing::TempDir temp;
  testing::ScopedEnvironment runtime("XDG_RUNTIME_DIR", temp.path().string());
  const std::vector<int> self{::getpid()};
  {
    LinuxSystem system({});
    EXPECT_EQ(system.runningApplicationProcessIds(kId), self);
    EXPECT_EQ(system.runningApplicationProcessIds(kId), self);
    EXPECT_EQ(system.runningApplicationProcessIds("org.example.Other"), std::vector<int>{});
    // Another object, as a second launch would be, finds it held (by itself: -1).
    EXPECT_EQ(LinuxSystem({}).runningApplicationProcessIds(kId), std::vector<int>{-1});
  }
  EXPECT_EQ(LinuxSystem({}).runningApplicationProcessIds(kId), self);  // let go with the object

  // Without a runtime folder the lock lies in a private folder of this user's in /tmp.
  testing::ScopedEnvironment none("XDG_RUNTIME_DIR", std::nullopt);
  EXPECT_EQ(LinuxSystem({}).runtimeDirectory(), "/tmp/quorvane-" + std::to_string(::getuid()));
}

}  // namespace
}  // namespace quorvane
