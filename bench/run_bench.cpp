// One short engine command, start to completion, against the least any program
// can do to run the same engine with the same pipes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "bench_app.h"

extern char** environ;

namespace quorvane::bench {
namespace {

const std::string kInput =
    R"({"username":"ana","password":"correct horse battery","device":"Bench"})";

void BM_RunRoundTrip(benchmark::State& state) {
  BenchApp bench;
  const std::vector<std::string> arguments{"relogin", "--config",
                                           bench.app->locations().config().string()};
  std::int32_t status = -2;
  for (auto _ : state) {
    bench.app->run(arguments, kInput, [&](std::int32_t s, const std::string&) { status = s; });
  }
  if (status != 0) state.SkipWithError("the engine command failed");
}
BENCHMARK(BM_RunRoundTrip)->Unit(benchmark::kMicrosecond);

void BM_SpawnFloor(benchmark::State& state) {
  BenchApp bench;
  const std::string engine = bench.app->locations().engine().string();
  const std::string config = bench.app->locations().config().string();
  const char* argv[] = {engine.c_str(), "relogin", "--config", config.c_str(), nullptr};
  for (auto _ : state) {
    int input[2], output[2];
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
      state.SkipWithError("pipe");
      break;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDERR_FILENO);
    pid_t pid = 0;
    ::posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    ::close(output[1]);
    benchmark::DoNotOptimize(::write(input[1], kInput.data(), kInput.size()));
    ::close(input[1]);
    char buffer[4096];
    while (::read(output[0], buffer, sizeof buffer) > 0) {
    }
    ::close(output[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
  }
}
BENCHMARK(BM_SpawnFloor)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quorvane::bench
