#include "platform/posix/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <vector>

#include <gtest/gtest.h>

#include "platform/posix/child_test_support.h"
#include "support/fake_engine_bundle.h"

namespace quorvane {
namespace {

using testing::FakeEngineBundle;
using testing::launchOrFail;
using testing::readAll;
using testing::readFile;
using testing::readLine;
using testing::Redirected;
using testing::TempDir;
using testing::writeFile;

enum class Route { pipe, file, inherit };

TEST(ChildProcess, EachStreamReachesItsPipeFileOrInheritedDescriptor) {
  const Route routes[] = {Route::pipe, Route::file, Route::inherit};
  for (int stream = 0; stream < 3; ++stream) {
    for (Route route : routes) {
      SCOPED_TRACE("stream " + std::to_string(stream) + " route " +
                   std::to_string(static_cast<int>(route)));
      FakeEngineBundle bundle;
      bundle.setBehaviour(R"({"*": {"stdout": "to out", "stderr": "to err"}})");
      TempDir temp;
      const std::string expected[] = {"from the test", "to out", "to err"};
      if (stream == 0) writeFile(temp / "stream", expected[0]);
      FileDescriptor file(
          stream == 0 ? ::open((temp / "stream").c_str(), O_RDONLY | O_CLOEXEC)
                      : ::open((temp / "stream").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
      ASSERT_TRUE(file);

      // The two streams not under test are pipes.
      LaunchRequest request{
          bundle.engine(), {"probe"}, Stdio::pipe(), Stdio::pipe(), Stdio::pipe()};
      Stdio* slots[] = {&request.input, &request.output, &request.error};
      if (route == Route::file) *slots[stream] = Stdio::file(file.get());
      if (route == Route::inherit) *slots[stream] = Stdio::inherit();

      std::unique_ptr<ChildProcess> child;
      {
        std::optional<Redirected> redirected;
        if (route == Route::inherit) redirected.emplace(stream, file.get());
        child = launchOrFail(request);
      }
      ASSERT_TRUE(child);
      if (stream == 0 && route == Route::pipe) {
        FileDescriptor input = child->takeInput();
        ASSERT_EQ(::write(input.get(), expected[0].data(), expected[0].size()),
                  static_cast<ssize_t>(expected[0].size()));
      }
      child->takeInput().reset();
      FileDescriptor output = child->takeOutput();
      FileDescriptor error = child->takeError();
      std::string seen[] = {"", output ? readAll(output.get()) : "",
                            error ? readAll(error.get()) : ""};
      EXPECT_EQ(child->waitUntilExit(), 0);
      if (stream == 0) {
        ASSERT_EQ(bundle.journal().size(), 1u);
        seen[0] = bundle.journal()[0].input.value_or("<not read>");
      } else if (route != Route::pipe) {
        seen[stream] = readFile(temp / "stream");
      }
      EXPECT_EQ(seen[stream], expected[stream]);
    }
  }
}

TEST(ChildProcess, SameAsOutputKeepsTheOrderOfBothStreams) {
  for (Route route : {Route::pipe, Route::file}) {
    FakeEngineBundle bundle;
    bundle.setBehaviour(R"({"*": {"read_stdin": false, "output": [
        {"stream": "out", "text": "one "}, {"stream": "err", "text": "two "},
        {"stream": "out", "text": "three"}]}})");
    TempDir temp;
    FileDescriptor log(::open((temp / "log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600));
    Stdio output = route == Route::pipe ? Stdio::pipe() : Stdio::file(log.get());
    auto child =
        launchOrFail({bundle.engine(), {"merged"}, Stdio::pipe(), output, Stdio::sameAsOutput()});
    ASSERT_TRUE(child);
    log.reset();  // the child has its own copy
    FileDescriptor pipe = child->takeOutput();
    std::string seen = route == Route::pipe ? readAll(pipe.get()) : "";
    EXPECT_EQ(child->waitUntilExit(), 0);
    if (route == Route::file) seen = readFile(temp / "log");
    EXPECT_EQ(seen, "one two three");
  }
}

TEST(ChildProcess, InheritsNoDescriptorButItsStandardStreams) {
  FakeEngineBundle bundle;
  TempDir temp;
  // Opened without close-on-exec, as careless code elsewhere in the process might.
  FileDescriptor leaky(::open((temp / "leak").c_str(), O_WRONLY | O_CREAT, 0600));
  int leakyPipe[2];
  ASSERT_EQ(::pipe(leakyPipe), 0);
  FileDescriptor leakyRead(leakyPipe[0]), leakyWrite(leakyPipe[1]);
  ASSERT_TRUE(leaky);

  auto child =
      launchOrFail({bundle.engine(), {"fds"}, Stdio::pipe(), Stdio::pipe(), Stdio::sameAsOutput()});
  ASSERT_TRUE(child);
  child->takeInput().reset();
  EXPECT_EQ(child->waitUntilExit(), 0);
  ASSERT_EQ(bundle.journal().size(), 1u);
  EXPECT_EQ(bundle.journal()[0].descriptors, (std::vector<int>{0, 1, 2}));
}

TEST(ChildProcess, StartsWithDefaultSignalHandlingWhateverThisProcessDoes) {
  FakeEngineBundle bundle;
  bundle.setBehaviour(R"({"*": {"read_stdin": false}})");
  LaunchRequest request{bundle.engine(), {"x"}, Stdio::pipe(), Stdio::pipe(), Stdio::pipe()};
  launchOrFail(request)->waitUntilExit();  // from here on this process ignores SIGPIPE
  struct sigaction ignore = {}, savedUsr2 = {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGUSR2, &ignore, &savedUsr2);
  sigset_t usr1, savedMask;
  sigemptyset(&usr1);
  sigaddset(&usr1, SIGUSR1);
  ::pthread_sigmask(SIG_BLOCK, &usr1, &savedMask);

  auto child = launchOrFail(request);
  ::pthread_sigmask(SIG_SETMASK, &savedMask, nullptr);
  ::sigaction(SIGUSR2, &savedUsr2, nullptr);
  ASSERT_TRUE(child);
  child->waitUntilExit();
  ASSERT_EQ(bundle.journal().size(), 2u);
  EXPECT_EQ(bundle.journal()[1].ignoredSignals, "0000000000000000");
  EXPECT_EQ(bundle.journal()[1].blockedSignals, "0000000000000000");
}

TEST(ChildProcess, PassesTheArgumentVectorExactly) {
  FakeEngineBundle bundle;
  const std::vector<std::string> arguments = {"login",
                                              "two words",
                                              "",
                                              "  padded  ",
                                              "quote\"s and 'single'",
                                              "$HOME",
                                              "*",
                                              "Gr\xC3\xBC\xC3\x9F"
                                              "e \xE2\x80\x94 \xF0\x9F\x93\x81",
                                              "--config",
                                              "back\\slash"};
  auto child =
      launchOrFail({bundle.engine(), arguments, Stdio::pipe(), Stdio::pipe(), Stdio::pipe()});
  ASSERT_TRUE(child);
  child->takeInput().reset();
  child->waitUntilExit();
  ASSERT_EQ(bundle.journal().size(), 1u);
  EXPECT_EQ(bundle.journal()[0].arguments, arguments);
  EXPECT_EQ(bundle.journal()[0].pid, child->pid());
}

TEST(ChildProcess, ReportsTheExitCodeOrTheSignalToTheHandlerOnce) {
  const struct {
    const char* behaviour;
    int status;
  } cases[] = {
      {R"({"*": {"exit_code": 7}})", 7},
      {R"({"*": {"exit_code": 0}})", 0},
      {R"({"*": {"crash_signal": 9}})", 9},
      {R"({"*": {"crash_signal": 10}})", 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.behaviour);
    FakeEngineBundle bundle;
    bundle.setBehaviour(c.behaviour);
    std::mutex mutex;
    std::vector<int> reported;
    auto child =
        launchOrFail({bundle.engine(), {"status"}, Stdio::pipe(), Stdio::pipe(), Stdio::pipe()},
                     [&](int status) {
                       std::lock_guard lock(mutex);
                       reported.push_back(status);
                     });
    ASSERT_TRUE(child);
    child->takeInput().reset();
    EXPECT_EQ(child->waitUntilExit(), c.status);  // returns after the handler
    EXPECT_TRUE(child->hasExited());
    EXPECT_EQ(child->terminationStatus(), c.status);
    std::lock_guard lock(mutex);
    EXPECT_EQ(reported, std::vector<int>{c.status});
  }
}

TEST(ChildProcess, ClearedHandlerIsNotCalled) {
  FakeEngineBundle bundle;
  bundle.setBehaviour(R"({"*": {"stdout": "ready\n", "run_until_terminated": true}})");
  std::atomic<int> calls{0};
  auto child =
      launchOrFail({bundle.engine(), {"watch"}, Stdio::pipe(), Stdio::pipe(), Stdio::pipe()},
                   [&](int) { ++calls; });
  ASSERT_TRUE(child);
  FileDescriptor output = child->takeOutput();
  EXPECT_EQ(readLine(output.get()), "ready\n");
  child->clearTerminationHandler();
  child->terminate();
  EXPECT_EQ(child->waitUntilExit(), SIGTERM);
  EXPECT_EQ(calls, 0);
}

TEST(ChildProcess, StopEscalatesToKillForAChildIgnoringSigterm) {
  const struct {
    const char* behaviour;
    bool endsWithinGrace;
    int status;
  } cases[] = {
      {R"({"*": {"stdout": "ready\n", "run_until_terminated": true}})", true, SIGTERM},
      {R"({"*": {"stdout": "ready\n", "ignore_sigterm": true, "run_until_terminated": true}})",
       false, SIGKILL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.behaviour);
    FakeEngineBundle bundle;
    bundle.setBehaviour(c.behaviour);
    auto child =
        launchOrFail({bundle.engine(), {"watch"}, Stdio::pipe(), Stdio::pipe(), Stdio::pipe()});
    ASSERT_TRUE(child);
    FileDescriptor output = child->takeOutput();
    ASSERT_EQ(readLine(output.get()), "ready\n");  // its SIGTERM disposition is in place

    EXPECT_EQ(stopChild(*child, std::chrono::milliseconds(300)), c.endsWithinGrace);
    EXPECT_TRUE(child->hasExited());
    EXPECT_EQ(child->terminationStatus(), c.status);
    EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(child->pid())));
  }
}

TEST(ChildProcess, LaunchFailureDescribesTheError) {
  TempDir temp;
  writeFile(temp / "not-executable", "#!/bin/sh\n");
  ::chmod((temp / "not-executable").c_str(), 0644);
  const struct {
    std::filesystem::path executable;
    std::string error;
  } cases[] = {
      {temp / "missing", "No such file or directory: " + (temp / "missing").string()},
      {temp / "not-executable", "Permission denied: " + (temp / "not-executable").string()},
      {temp.path(), "Permission denied: " + temp.path().string()},
  };
  for (const auto& c : cases) {
    auto launched = ChildProcess::launch({c.executable, {}, Stdio::pipe(), Stdio::pipe(), {}});
    ASSERT_TRUE(std::holds_alternative<std::string>(launched));
    EXPECT_EQ(std::get<std::string>(launched), c.error);
  }
}

}  // namespace
}  // namespace quorvane
