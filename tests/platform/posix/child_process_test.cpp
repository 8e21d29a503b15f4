// Where a child's streams go, what it starts with, its termination and what becomes
// of it around the life of its parent. Exit statuses, merged output and launch
// failure texts are checked through the runner (engine/command_runner_test.cpp).
#include "platform/posix/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "support/fake_engine_bundle.h"

namespace quorvane {
namespace {

// A /proc signal mask without glibc's two reserved signals (32 and 33): no
// program can change them through sigaction, so they pass from whatever started
// the tests to every child.
std::uint64_t settableSignals(const std::string& hexMask) {
  constexpr std::uint64_t kReserved = (1ull << 31) | (1ull << 32);
  return std::stoull(hexMask, nullptr, 16) & ~kReserved;
}

using testing::FakeEngineBundle;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

std::unique_ptr<ChildProcess> launchOrFail(const LaunchRequest& request,
                                           TerminationHandler handler = {}) {
  auto launched = ChildProcess::launch(request, std::move(handler));
  if (auto* error = std::get_if<std::string>(&launched)) ADD_FAILURE() << *error;
  auto* child = std::get_if<std::unique_ptr<ChildProcess>>(&launched);
  return child ? std::move(*child) : nullptr;
}

// Up to and including the first newline, or everything until end-of-file.
std::string readFrom(int fd, bool toEnd = false) {
  std::string text;
  char c;
  while (::read(fd, &c, 1) == 1) {
    text += c;
    if (c == '\n' && !toEnd) break;
  }
  return text;
}

TEST(ChildProcess, GetsItsStreamsWhereverRoutedButNothingElseOfThisProcess) {
  TempDir temp;
  // Opened without close-on-exec, as careless code elsewhere in the process might.
  FileDescriptor leaky(::open((temp / "leak").c_str(), O_WRONLY | O_CREAT, 0600));
  int leakyPipe[2];
  ASSERT_EQ(::pipe(leakyPipe), 0);
  FileDescriptor leakyRead(leakyPipe[0]), leakyWrite(leakyPipe[1]);
  struct sigaction ignore = {}, savedUsr2 = {};
  ignore.sa_handler = SIG_IGN;
  sigset_t usr1, savedMask;
  sigemptyset(&usr1);
  sigaddset(&usr1, SIGUSR1);
  // Passed as they are: no shell sees them.
  const std::vector<std::string> arguments = {"two words", "", "'$HOME' *",
                                              "Gr\u00fc\u00dfe \U0001F4C1"};
  const std::string sent[] = {"from the test", "to out", "to err"};
  enum Route { pipe, file, inherit };
  // Over the three launches every stream takes every route once.
  for (const auto& routes : {std::array{pipe, file, inherit}, std::array{file, inherit, pipe},
                             std::array{inherit, pipe, file}}) {
    SCOPED_TRACE(::testing::Message() << routes[0] << routes[1] << routes[2]);
    FakeEngineBundle bundle;
    bundle.setBehaviour(R"({"*": {"stdout": "to out", "stderr": "to err", "exit_code": 7}})");
    TempDir streams;
    writeFile(streams / "0", sent[0]);
    LaunchRequest request{bundle.engine(), arguments, {}, {}, {}};
    Stdio* slots[] = {&request.input, &request.output, &request.error};
    FileDescriptor files[3];
    int inherited = 0;
    for (int s = 0; s < 3; ++s) {
      files[s].reset(::open((streams / std::to_string(s)).c_str(),
                            s == 0 ? O_RDONLY | O_CLOEXEC : O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
      if (routes[s] == pipe) *slots[s] = Stdio::pipe();
      if (routes[s] == file) *slots[s] = Stdio::file(files[s].get());
      if (routes[s] == inherit) inherited = s;
    }
    // While the child is launched this process's own stream points at the file, and it
    // ignores SIGUSR2 and blocks SIGUSR1 (launch() itself makes it ignore SIGPIPE).
    const int saved = ::dup(inherited);
    std::fflush(nullptr);
    ::dup2(files[inherited].get(), inherited);
    ::sigaction(SIGUSR2, &ignore, &savedUsr2);
    ::pthread_sigmask(SIG_BLOCK, &usr1, &savedMask);
    std::atomic<int> reports{0}, reported{-1};
    auto child = launchOrFail(request, [&](int status) {
      reported = status;
      ++reports;
    });
    ::pthread_sigmask(SIG_SETMASK, &savedMask, nullptr);
    ::sigaction(SIGUSR2, &savedUsr2, nullptr);
    ::dup2(saved, inherited);
    ::close(saved);
    ASSERT_TRUE(child);

    FileDescriptor pipes[] = {child->takeInput(), child->takeOutput(), child->takeError()};
    if (pipes[0]) {
      ASSERT_EQ(::write(pipes[0].get(), sent[0].data(), sent[0].size()),
                static_cast<ssize_t>(sent[0].size()));
    }
    pipes[0].reset();
    std::string seen[3];
    for (int s = 1; s < 3; ++s) seen[s] = pipes[s] ? readFrom(pipes[s].get(), true) : "";
    EXPECT_EQ(child->waitUntilExit(), 7);  // returns after the handler
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(reported, 7);
    for (int s = 1; s < 3; ++s) {
      if (!pipes[s]) seen[s] = readFile(streams / std::to_string(s));
    }
    ASSERT_EQ(bundle.journal().size(), 1u);
    const auto run = bundle.journal()[0];
    seen[0] = run.input.value_or("<not read>");
    for (int s = 0; s < 3; ++s) EXPECT_EQ(seen[s], sent[s]) << "stream " << s;
    EXPECT_EQ(run.descriptors, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(settableSignals(run.ignoredSignals), 0u);
    EXPECT_EQ(settableSignals(run.blockedSignals), 0u);
    EXPECT_EQ(run.arguments, arguments);
    EXPECT_EQ(run.pid, child->pid());
  }
}

TEST(ChildProcess, StopEscalatesToKillAndAClearedHandlerIsNotCalled) {
  for (const bool ignoresSigterm : {false, true}) {
    FakeEngineBundle bundle;
    bundle.setBehaviour(R"({"*": {"stdout": "ready\n", "run_until_terminated": true, )"
                        R"("ignore_sigterm": )" +
                        std::string(ignoresSigterm ? "true}}" : "false}}"));
    std::atomic<int> calls{0};
    auto child =
        launchOrFail({bundle.engine(), {"watch"}, Stdio::pipe(), Stdio::pipe(), Stdio::pipe()},
                     [&](int) { ++calls; });
    ASSERT_TRUE(child);
    FileDescriptor output = child->takeOutput();
    ASSERT_EQ(readFrom(output.get()), "ready\n");  // its SIGTERM disposition is in place
    child->clearTerminationHandler();
    EXPECT_EQ(stopChild(*child, std::chrono::milliseconds(300)), !ignoresSigterm);
    EXPECT_EQ(child->terminationStatus(), ignoresSigterm ? SIGKILL : SIGTERM);
    EXPECT_EQ(calls, 0);
  }
}

// The thread that launched it ends as it would when the front end crashes.
TEST(ChildLifetime, ChildDiesWhenTheThreadThatLaunchedItEnds) {
  FakeEngineBundle bundle;
  // Without the parent-death signal it would exit by itself with 0 after a minute.
  bundle.setBehaviour(R"({"*": {"sleep_seconds": 60}})");
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

TEST(ChildLifetime, ChildIsReapedAfterItsObjectIsGone) {
  FakeEngineBundle bundle;
  bundle.setBehaviour(R"({"*": {"stdout": "ready\n", "run_until_terminated": true}})");
  auto child =
      launchOrFail({bundle.engine(), {"watch"}, Stdio::pipe(), Stdio::pipe(), Stdio::inherit()});
  ASSERT_TRUE(child);
  FileDescriptor output = child->takeOutput();
  ASSERT_EQ(readFrom(output.get()), "ready\n");
  const pid_t pid = child->pid();
  const auto proc = "/proc/" + std::to_string(pid);
  child.reset();
  ASSERT_TRUE(std::filesystem::exists(proc));  // still running
  ::kill(pid, SIGKILL);
  // Only the waiter thread can reap it; a zombie would stay in /proc.
  for (int i = 0; i < 6000 && std::filesystem::exists(proc); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_FALSE(std::filesystem::exists(proc));
}

}  // namespace
}  // namespace quorvane
