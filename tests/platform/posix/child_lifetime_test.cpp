// What happens to children around the lives of their parents: the parent-death
// signal, and reaping when nobody waits.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "platform/posix/child_process.h"
#include "platform/posix/child_test_support.h"
#include "support/fake_engine_bundle.h"

namespace quorvane {
namespace {

using testing::FakeEngineBundle;
using testing::launchOrFail;
using testing::readLine;

// Waits for the waiter thread to reap `pid`. Failing means a zombie was left.
bool reapedEventually(pid_t pid) {
  auto path = "/proc/" + std::to_string(pid);
  for (int i = 0; i < 6000 && std::filesystem::exists(path); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return !std::filesystem::exists(path);
}

TEST(ChildLifetime, ChildDiesWhenTheProcessThatLaunchedItDies) {
  FakeEngineBundle bundle;
  // Without the parent-death signal it would exit by itself with 0 after a minute.
  bundle.setBehaviour(R"({"*": {"stdout": "ready\n", "sleep_seconds": 60}})");
  // Orphans are handed to this process instead of init, so it can wait for them.
  ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  int report[2];
  ASSERT_EQ(::pipe(report), 0);
  pid_t middle = ::fork();
  ASSERT_GE(middle, 0);
  if (middle == 0) {
    // The front end that crashes: it launches the engine and goes away.
    ::close(report[0]);
    auto launched = ChildProcess::launch(
        {bundle.engine(), {"watch"}, Stdio::inherit(), Stdio::pipe(), Stdio::inherit()});
    if (!std::holds_alternative<std::unique_ptr<ChildProcess>>(launched)) ::_exit(1);
    auto& child = std::get<std::unique_ptr<ChildProcess>>(launched);
    FileDescriptor output = child->takeOutput();
    if (readLine(output.get()) != "ready\n") ::_exit(2);
    pid_t pid = child->pid();
    (void)!::write(report[1], &pid, sizeof pid);
    ::_exit(0);
  }
  ::close(report[1]);
  pid_t engine = -1;
  ASSERT_EQ(::read(report[0], &engine, sizeof engine), static_cast<ssize_t>(sizeof engine));
  ::close(report[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(middle, &status, 0), middle);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  ASSERT_EQ(::waitpid(engine, &status, 0), engine);  // blocks until the engine ends
  ::prctl(PR_SET_CHILD_SUBREAPER, 0);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
}

TEST(ChildLifetime, FailedExecLeavesNoChild) {
  // In a process of its own, where any child at all would be the failed one.
  pid_t tester = ::fork();
  ASSERT_GE(tester, 0);
  if (tester == 0) {
    auto launched = ChildProcess::launch(
        {"/nonexistent/quorvane", {}, Stdio::pipe(), Stdio::pipe(), Stdio::sameAsOutput()});
    if (!std::holds_alternative<std::string>(launched)) ::_exit(1);
    bool noChild = ::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
    ::_exit(noChild ? 0 : 2);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(tester, &status, 0), tester);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(ChildLifetime, ChildIsReapedAfterItsObjectIsGone) {
  FakeEngineBundle bundle;
  bundle.setBehaviour(R"({"*": {"stdout": "ready\n", "run_until_terminated": true}})");
  auto child =
      launchOrFail({bundle.engine(), {"watch"}, Stdio::pipe(), Stdio::pipe(), Stdio::inherit()});
  ASSERT_TRUE(child);
  FileDescriptor output = child->takeOutput();
  ASSERT_EQ(readLine(output.get()), "ready\n");
  pid_t pid = child->pid();
  child.reset();
  ASSERT_TRUE(std::filesystem::exists("/proc/" + std::to_string(pid)));  // still running
  ::kill(pid, SIGKILL);
  EXPECT_TRUE(reapedEventually(pid));
}

}  // namespace
}  // namespace quorvane
