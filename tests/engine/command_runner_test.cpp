#include "engine/command_runner.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/fake_engine_bundle.h"

namespace quorvane {
namespace {

using testing::FakeEngineBundle;
using testing::TempDir;
using testing::writeFile;

std::string letters(std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += static_cast<char>('a' + i % 26);
  return text;
}

TEST(CommandRunner, ReportsStatusAndTheMergedOutput) {
  const struct {
    const char* behaviour;
    EngineResult expected;
    std::optional<std::string> input = std::nullopt;
  } cases[] = {
      {R"({"*": {"stdout": "{\"ok\": true}\n"}})", {0, "{\"ok\": true}\n"}},
      {R"({"*": {"stderr": "Wrong password.\n", "exit_code": 2}})", {2, "Wrong password.\n"}},
      {R"({"*": {"output": [{"stream": "out", "text": "1 out, "}, {"stream": "err", "text": "2 err, "},
                            {"stream": "out", "text": "3 out"}], "exit_code": 1}})",
       {1, "1 out, 2 err, 3 out"}},
      // Output that is not UTF-8 (a stray byte, an overlong '/', a surrogate, a cut
      // sequence) is dropped whole; a NUL and a three-byte character are kept.
      {R"({"*": {"output": [{"stream": "out", "hex": "6f6bff"}]}})", {0, ""}},
      {R"({"*": {"output": [{"stream": "err", "hex": "c0af"}], "exit_code": 3}})", {3, ""}},
      {R"({"*": {"output": [{"stream": "out", "hex": "eda080"}]}})", {0, ""}},
      {R"({"*": {"output": [{"stream": "out", "hex": "6375742e2e2e20e280"}]}})", {0, ""}},
      {R"({"*": {"output": [{"stream": "out", "hex": "6e756c00e280a6"}]}})",
       {0, std::string("nul\0\u2026", 7)}},
      {R"({"*": {"stdout": "partial", "crash_signal": 9}})", {SIGKILL, "partial"}},
      {R"({"*": {"crash_signal": 10}})", {SIGUSR1, ""}},
      {R"({"*": {"output_bytes": 5000000}})", {0, letters(5000000)}},
      // An engine that leaves without reading its input must not kill us with SIGPIPE.
      {R"({"*": {"exit_without_reading": true}})", {-1, "Broken pipe"}, letters(1 << 20)},
  };
  for (const auto& c : cases) {
    FakeEngineBundle bundle;
    bundle.setBehaviour(c.behaviour);
    const EngineResult result = runEngineCommand(bundle.engine(), {"account-info"}, c.input);
    EXPECT_TRUE(result == c.expected)
        << c.behaviour << " gave " << result.status << " " << result.text.substr(0, 100);
  }
}

TEST(CommandRunner, EngineThatCannotRunGivesMinusOneAndTheReason) {
  TempDir temp;
  writeFile(temp / "quorvane", "#!/bin/sh\necho never\n");
  ::chmod((temp / "quorvane").c_str(), 0644);
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
}  // namespace quorvane
