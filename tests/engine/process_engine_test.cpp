// The engine program as child processes: a command's status, output and input
// (the runner), and through the application where the watch writes, how one that
// will not end is ended, and what a missing engine shows.
#include "engine/process_engine.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "engine/command_runner.h"
#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

using namespace std::chrono_literals;

// Once the engine is there, each watch ends by itself and the next tick starts
// another, which appends to the same log until that has grown past 2,000,000
// bytes, when a new log begins.
TEST(ProcessEngine, AMissingEngineIsTheStatusLineAndEachWatchAppendsToTheLogUntilItIsTooLarge) {
  AppHarness h{EngineProgram{}};
  h.configure();
  const std::filesystem::path log = h.app->locations().syncLog();
  const std::string earlier(2'000'000 - 8, 'x'), written = "out\nerr\n";
  writeFile(log, earlier);
  h.bundle->setBehaviour(R"({"watch": {"stdout": "out\n", "stderr": "err\n"}})");
  std::filesystem::remove(h.bundle->engine());
  h.launch();
  EXPECT_EQ(h.fake.ui.statusLines().back(),
            "Could not start sync: No such file or directory: " + h.bundle->engine().string());
  std::filesystem::create_symlink(QUORVANE_FAKE_ENGINE, h.bundle->engine());
  for (const std::string& expected : {earlier + written, earlier + written + written, written}) {
    h.fake.loop.advance(2.0);  // the next tick
    ASSERT_NE(h.app->worker(), nullptr);
    ASSERT_TRUE(h.fake.loop.waitForPost(30s)) << "the watch did not end";
    h.fake.loop.runUntilIdle();
    EXPECT_EQ(h.app->worker(), nullptr);
    EXPECT_TRUE(readFile(log) == expected) << readFile(log).size();
  }
  const auto runs = h.bundle->journal();
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[2]["argv"], (std::vector<std::string>{"watch", "--config", h.config()}));
}

TEST(ProcessEngine, AWatchIgnoringTerminationIsKilledSoPauseAndQuitDoNotHang) {
  AppHarness h{EngineProgram{.stopGrace = 200ms}};
  h.configure();
  h.bundle->setBehaviour(R"({"watch": {"ignore_sigterm": true, "run_until_terminated": true}})");
  h.launch();
  std::size_t started = 0;
  for (const char* command : {"Pause Syncing", "Quit Quorvane"}) {
    const int pid = h.workerPid();
    ASSERT_GT(pid, 0);
    // Once it has journaled its start, it ignores SIGTERM.
    ++started;
    for (int i = 0; i < 3000 && h.bundle->journal().size() < started; ++i) {
      std::this_thread::sleep_for(10ms);
    }
    h.fake.ui.choose(command);
    EXPECT_EQ(h.app->worker(), nullptr);
    EXPECT_EQ(::kill(pid, 0), -1) << command << ": the watch is still there";
    if (std::string(command) == "Pause Syncing") h.fake.ui.choose("Resume Syncing");
  }
}

std::string letters(std::size_t count) {
  std::string text;
  while (text.size() < count) text += "abcdefghijklmnopqrstuvwxy\n";
  return text.substr(0, count);
}

// An engine that is this shell script.
std::filesystem::path script(const TempDir& temp, const std::string& body) {
  writeFile(temp / "quorvane", "#!/bin/sh\n" + body + "\n");
  ::chmod((temp / "quorvane").c_str(), 0755);
  return temp / "quorvane";
}

TEST(CommandRunner, ReportsStatusAndTheMergedOutput) {
  const struct {
    std::string script;
    EngineResult expected;
    std::optional<std::string> input = std::nullopt;
  } cases[] = {
      {R"(echo '{"ok": true}')", {0, "{\"ok\": true}\n"}},
      {"echo Wrong password. >&2; exit 2", {2, "Wrong password.\n"}},
      {"printf '1 out, '; printf '2 err, ' >&2; printf '3 out'; exit 1",
       {1, "1 out, 2 err, 3 out"}},
      // Output that is not UTF-8 (a stray byte, an overlong '/', a surrogate, a cut
      // sequence) is dropped whole; a NUL and a three-byte character are kept.
      {R"(printf 'ok\377')", {0, ""}},
      {R"(printf '\300\257' >&2; exit 3)", {3, ""}},
      {R"(printf '\355\240\200')", {0, ""}},
      {R"(printf 'cut... \342\200')", {0, ""}},
      {R"(printf 'nul\000\342\200\246')", {0, std::string("nul\0\u2026", 7)}},
      {"printf partial; kill -KILL $$", {SIGKILL, "partial"}},
      {"kill -USR1 $$", {SIGUSR1, ""}},
      {"yes abcdefghijklmnopqrstuvwxy | head -c 5000000", {0, letters(5000000)}},
      // An engine that leaves without reading its input must not kill us with SIGPIPE.
      {"exit 0", {-1, "Broken pipe"}, letters(1 << 20)},
  };
  for (const auto& c : cases) {
    TempDir temp;
    const EngineResult result = runEngineCommand(script(temp, c.script), {"account-info"}, c.input);
    EXPECT_TRUE(result == c.expected)
        << c.script << " gave " << result.status << " " << result.text.substr(0, 100);
  }
}

TEST(CommandRunner, EngineThatCannotRunGivesMinusOneAndTheReason) {
  TempDir temp;
  ::chmod(script(temp, "echo never").c_str(), 0644);
  for (const auto& [engine, reason] : {std::pair{temp / "missing", "No such file or directory: "},
                                       std::pair{temp / "quorvane", "Permission denied: "},
                                       std::pair{temp.path(), "Permission denied: "}}) {
    EXPECT_EQ(runEngineCommand(engine, {"login"}, R"({"password":"x"})"),
              (EngineResult{-1, reason + engine.string()}));
  }
}

TEST(CommandRunner, InputArrivesByteExactAndNoInputMeansAnEmptyStdin) {
  // The test's own stdin holds data that must never reach the engine.
  int leak[2];
  ASSERT_EQ(::pipe(leak), 0);
  ASSERT_EQ(::write(leak[1], "from the test", 13), 13);
  ::close(leak[1]);  // an engine reading it gets that text and end-of-file
  int savedStdin = ::dup(STDIN_FILENO);
  ::dup2(leak[0], STDIN_FILENO);

  const std::optional<std::string> inputs[] = {
      std::nullopt, std::string(R"({"username":"anna","password":"p\u00e4ss \"quoted\""})"),
      std::string("\0 nul\n\r", 7),
      letters(200000),  // more than a pipe holds
  };
  for (const auto& input : inputs) {
    FakeEngineBundle bundle;
    EXPECT_EQ(runEngineCommand(bundle.engine(), {"login", "--config", "/c"}, input).status, 0);
    const auto runs = bundle.journal();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0]["stdin"], input.value_or(""));
    EXPECT_EQ(runs[0]["argv"], (std::vector<std::string>{"login", "--config", "/c"}));
  }

  ::dup2(savedStdin, STDIN_FILENO);
  ::close(savedStdin);
  ::close(leak[0]);
}

}  // namespace
}  // namespace quorvane::testing
