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

// Runs `body` in a forked process and returns its exit code.
template <typename Body>
int inChildProcess(Body body) {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(InstanceLock, AnotherProcessSeesTheHolderUntilItLetsGo) {
  TempDir temp;
  auto first = InstanceLock::acquire(temp / "lock");
  ASSERT_EQ(first.result, InstanceLock::Attempt::Result::taken) << first.error;
  pid_t holder = ::getpid();

  EXPECT_EQ(inChildProcess([&] {
              auto second = InstanceLock::acquire(temp / "lock");
              if (second.result != InstanceLock::Attempt::Result::heldElsewhere) return 1;
              return second.holder == holder ? 0 : 2;
            }),
            0);
  first.lock.reset();
  EXPECT_EQ(inChildProcess([&] {
              auto second = InstanceLock::acquire(temp / "lock");
              return second.result == InstanceLock::Attempt::Result::taken ? 0 : 1;
            }),
            0);
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
    ASSERT_EQ(::pipe(start), 0);
    ASSERT_EQ(::pipe(finish), 0);
    ASSERT_EQ(::pipe(results), 0);
    pid_t contenders[2];
    for (pid_t& contender : contenders) {
      contender = ::fork();
      ASSERT_GE(contender, 0);
      if (contender == 0) {
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
    }
    ::close(start[0]);
    ::close(start[1]);
    ::close(finish[0]);
    ::close(results[1]);
    Report reports[2] = {};
    for (Report& report : reports) {
      ASSERT_EQ(::read(results[0], &report, sizeof report), static_cast<ssize_t>(sizeof report));
    }
    ::close(finish[1]);
    ::close(results[0]);
    for (pid_t contender : contenders) ::waitpid(contender, nullptr, 0);

    ASSERT_NE(reports[0].taken, reports[1].taken) << "round " << round;
    const Report& winner = reports[0].taken ? reports[0] : reports[1];
    const Report& loser = reports[0].taken ? reports[1] : reports[0];
    // The pid may not be written yet when the loser looks; it is never its own.
    EXPECT_TRUE(loser.holder == winner.pid || loser.holder == -1) << loser.holder;
  }
}

TEST(LinuxSystem, RunningInstanceIsTheLockHolder) {
  TempDir temp;
  ScopedEnvironment runtime("XDG_RUNTIME_DIR", temp.path().string());
  LinuxSystem system({});
  const std::string id = LinuxSystem::kBundleIdentifier;
  EXPECT_EQ(system.runningApplicationProcessIds(id), std::vector<int>{::getpid()});
  EXPECT_EQ(system.runningApplicationProcessIds(id), std::vector<int>{::getpid()});
  EXPECT_TRUE(std::filesystem::exists(temp / (id + ".lock")));
  EXPECT_EQ(system.runningApplicationProcessIds("org.example.Other"), std::vector<int>{});

  pid_t parent = ::getpid();
  EXPECT_EQ(inChildProcess([&] {
              LinuxSystem second({});
              return second.runningApplicationProcessIds(id) == std::vector<int>{parent} ? 0 : 1;
            }),
            0);
}

}  // namespace
}  // namespace quorvane
