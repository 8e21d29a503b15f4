// What a child starts with and what becomes of it around the life of its parent;
// its status, output and input are the runner's (engine/process_engine_test.cpp).
#include "platform/posix/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "platform/posix/files.h"
#include "support/fake_engine_bundle.h"

namespace quorvane {
namespace {

using testing::FakeEngineBundle;
using testing::readFile;
using testing::TempDir;

std::unique_ptr<ChildProcess> launchOrFail(const LaunchRequest& request,
                                           TerminationHandler handler = {}) {
  auto launched = ChildProcess::launch(request, std::move(handler));
  if (auto* error = std::get_if<std::string>(&launched)) ADD_FAILURE() << *error;
  auto* child = std::get_if<std::unique_ptr<ChildProcess>>(&launched);
  return child ? std::move(*child) : nullptr;
}

// A /proc signal mask without glibc's two reserved signals (32 and 33): no
// program can change them through sigaction, so they pass from whatever started
// the tests to every child.
std::uint64_t settableSignals(const std::string& hexMask) {
  return std::stoull(hexMask, nullptr, 16) & ~((1ull << 31) | (1ull << 32));
}

// As the watch is started: its standard input this process's own, its output into
// a file (the sync log), its errors with the output.
TEST(ChildProcess, GetsItsStreamsAndArgumentsButNothingElseOfThisProcess) {
  TempDir temp;
  // Opened without close-on-exec, as careless code elsewhere in the process might.
  FileDescriptor leaky(::open((temp / "leak").c_str(), O_WRONLY | O_CREAT, 0600));
  FileDescriptor log(::open((temp / "log").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
  testing::writeFile(temp / "input", "from the test");
  FileDescriptor input(::open((temp / "input").c_str(), O_RDONLY | O_CLOEXEC));
  FakeEngineBundle bundle;
  bundle.setBehaviour(R"({"*": {"stdout": "to out ", "stderr": "to err", "exit_code": 7}})");
  const std::vector<std::string> arguments = {"two words", "", "'$HOME' *", "Gr\u00fc\u00dfe"};

  // While it is launched this process ignores SIGUSR2 and blocks SIGUSR1 (launch()
  // itself makes it ignore SIGPIPE), and its standard input is a file.
  struct sigaction ignore = {}, savedUsr2 = {};
  ignore.sa_handler = SIG_IGN;
  sigset_t usr1, savedMask;
  sigemptyset(&usr1);
  sigaddset(&usr1, SIGUSR1);
  const int savedInput = ::dup(STDIN_FILENO);
  ::dup2(input.get(), STDIN_FILENO);
  ::sigaction(SIGUSR2, &ignore, &savedUsr2);
  ::pthread_sigmask(SIG_BLOCK, &usr1, &savedMask);
  std::atomic<int> reports{0}, reported{-1};
  auto child = launchOrFail(
      {bundle.engine(), arguments, Stdio::inherit(), Stdio::file(log.get()), Stdio::sameAsOutput()},
      [&](int status) {
        reported = status;
        ++reports;
      });
  ::pthread_sigmask(SIG_SETMASK, &savedMask, nullptr);
  ::sigaction(SIGUSR2, &savedUsr2, nullptr);
  ::dup2(savedInput, STDIN_FILENO);
  ::close(savedInput);
  ASSERT_TRUE(child);

  EXPECT_EQ(child->waitUntilExit(), 7);  // returns after the handler
  EXPECT_EQ(std::tuple(reports.load(), reported.load(), readFile(temp / "log")),
            std::tuple(1, 7, "to out to err"));
  ASSERT_EQ(bundle.journal().size(), 1u);
  const Json run = bundle.journal()[0];
  EXPECT_EQ(std::tuple(run["stdin"], run["fds"], run["argv"], run["pid"]),
            std::tuple("from the test", Json({0, 1, 2}), Json(arguments), child->pid()));
  EXPECT_EQ(settableSignals(run["ignored_signals"]) | settableSignals(run["blocked_signals"]), 0u);
}

// The thread that launched it ends as it would when the front end crashes.
TEST(ChildLifetime, ChildDiesWhenTheThreadThatLaunchedItEnds) {
  FakeEngineBundle bundle;
  // Without the parent-death signal it would run until the test times out.
  bundle.setBehaviour(R"({"*": {"run_until_terminated": true}})");
  std::unique_ptr<ChildProcess> child;
  std::thread([&] {
    child = launchOrFail(
        {bundle.engine(), {"watch"}, Stdio::inherit(), Stdio::inherit(), Stdio::inherit()});
  }).join();
  ASSERT_TRUE(child);
  EXPECT_EQ(child->waitUntilExit(), SIGTERM);
}

TEST(ChildLifetime, FailedExecLeavesNoChild) {
  // In a process of its own, where any child at all would be the failed one.
  const pid_t tester = ::fork();
  if (tester == 0) {
    auto launched = ChildProcess::launch(
        {"/nonexistent/quorvane", {}, Stdio::pipe(), Stdio::pipe(), Stdio::sameAsOutput()});
    if (!std::holds_alternative<std::string>(launched)) ::_exit(1);
    ::_exit(::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD ? 0 : 2);
  }
  int status = -1;
  ::waitpid(tester, &status, 0);
  EXPECT_EQ(status, 0);
}

TEST(ChildLifetime, ChildThatOutlivesItsObjectIsStillReaped) {
  FakeEngineBundle bundle;
  bundle.setBehaviour(R"({"*": {"run_until_terminated": true}})");
  auto child = launchOrFail(
      {bundle.engine(), {"watch"}, Stdio::inherit(), Stdio::inherit(), Stdio::inherit()});
  ASSERT_TRUE(child);
  const pid_t pid = child->pid();
  const auto proc = "/proc/" + std::to_string(pid);
  child.reset();
  ::kill(pid, SIGKILL);
  // Only the waiter thread can reap it; a zombie would stay in /proc.
  for (int i = 0; i < 6000 && std::filesystem::exists(proc); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_FALSE(std::filesystem::exists(proc));
}

TEST(Files, ReadWholeGivesRegularFilesWithinTheLimitOnly) {
  TempDir temp;
  testing::writeFile(temp / "ten", "0123456789");
  std::filesystem::create_directory(temp / "folder");
  ASSERT_EQ(::mkfifo((temp / "fifo").c_str(), 0600), 0);
  const struct {
    std::string name;
    std::uintmax_t limit;
    std::optional<std::string> expected;
  } cases[] =
      {
          {"ten", 10, "0123456789"},      {"ten", 9, std::nullopt},
          {"missing", 100, std::nullopt}, {"folder", 100, std::nullopt},
          {"fifo", 100, std::nullopt},  // refused without blocking on the open
      };
  for (const auto& c : cases) {
    EXPECT_EQ(files::readWhole(temp / c.name, c.limit), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace quorvane
