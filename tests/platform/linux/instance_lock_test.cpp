#include "platform/linux/instance_lock.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/linux/linux_system.h"
#include "platform/linux/scoped_environment.h"
#include "support/temp_dir.h"

namespace quorvane {
namespace {

using testing::ScopedEnvironment;
using testing::TempDir;

TEST(LinuxSystem, RunningInstanceIsTheLockHolderUntilItEnds) {
  TempDir temp;
  ScopedEnvironment runtime("XDG_RUNTIME_DIR", temp.path().string());
  const std::string id = LinuxSystem::kBundleIdentifier;
  const std::vector<int> self{::getpid()};
  // What a second instance in another process sees: 0 this one, 1 itself.
  auto secondSees = [&] {
    pid_t pid = ::fork();
    if (pid == 0) {
      const auto seen = LinuxSystem({}).runningApplicationProcessIds(id);
      ::_exit(seen == self ? 0 : seen == std::vector<int>{::getpid()} ? 1 : 2);
    }
    int status = -1;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status)
                                                                             : -1;
  };
  {
    LinuxSystem system({});
    EXPECT_EQ(system.runningApplicationProcessIds(id), self);
    EXPECT_EQ(system.runningApplicationProcessIds(id), self);
    EXPECT_TRUE(std::filesystem::exists(temp / (id + ".lock")));
    EXPECT_EQ(system.runningApplicationProcessIds("org.example.Other"), std::vector<int>{});
    EXPECT_EQ(secondSees(), 0);
  }
  EXPECT_EQ(secondSees(), 1);  // let go with the object
}

TEST(InstanceLock, OfSimultaneousLaunchesExactlyOneWins) {
  struct Report {
    pid_t pid;
    bool taken;
    int holder;
  };
  for (int round = 0; round < 20; ++round) {
    TempDir temp;
    int start[2], finish[2], results[2];
    ASSERT_EQ(::pipe(start) | ::pipe(finish) | ::pipe(results), 0);
    for (int contender = 0; contender < 2; ++contender) {
      if (::fork() != 0) continue;
      char c;
      ::close(start[1]);
      ::close(finish[1]);
      (void)!::read(start[0], &c, 1);  // both go when the test closes `start`
      auto attempt = InstanceLock::acquire(temp / "lock");
      Report report{::getpid(), attempt.result == InstanceLock::Attempt::Result::taken,
                    attempt.holder};
      (void)!::write(results[1], &report, sizeof report);
      (void)!::read(finish[0], &c, 1);  // the winner holds on until both have reported
      ::_exit(0);
    }
    for (int fd : {start[0], start[1], finish[0], results[1]}) ::close(fd);
    Report reports[2] = {};
    for (Report& report : reports) {
      ASSERT_EQ(::read(results[0], &report, sizeof report), static_cast<ssize_t>(sizeof report));
    }
    for (int fd : {finish[1], results[0]}) ::close(fd);
    while (::wait(nullptr) > 0) {
    }
    ASSERT_NE(reports[0].taken, reports[1].taken) << "round " << round;
    const Report& winner = reports[0].taken ? reports[0] : reports[1];
    const Report& loser = reports[0].taken ? reports[1] : reports[0];
    // The pid may not be written yet when the loser looks; it is never its own.
    EXPECT_TRUE(loser.holder == winner.pid || loser.holder == -1) << loser.holder;
  }
}

}  // namespace
}  // namespace quorvane
