// What every 2-second tick costs on the main thread. Run: build/bench/quorvane_bench
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "bench_app.h"
#include "common/json_document.h"
#include "common/text.h"
#include "status/status_look.h"

namespace quorvane::bench {
namespace {

// The whole tick: configuration, status file, look, status line, menu model.
void BM_Refresh(benchmark::State& state) {
  BenchApp bench;
  if (!bench.app->worker()) state.SkipWithError("the watch process did not start");
  for (auto _ : state) bench.app->refresh();
}
BENCHMARK(BM_Refresh);

// Its floor: reading the status file once, and nothing else.
void BM_RefreshFloor(benchmark::State& state) {
  BenchApp bench;
  const std::string path = bench.statusFile().string();
  char buffer[4096];
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    benchmark::DoNotOptimize(::read(fd, buffer, sizeof buffer));
    ::close(fd);
  }
}
BENCHMARK(BM_RefreshFloor);

// A status file padded to the given size: the look must stay cheap enough to
// read whole every tick even when the engine writes something huge.
void BM_StatusLookLarge(benchmark::State& state) {
  std::string content = R"({"state":"synced","message":"ok","updated_at":1800000000,"pad":")";
  content.append(static_cast<std::size_t>(state.range(0)), 'x');
  content += "\"}";
  const std::optional<std::string> file = content;
  for (auto _ : state) benchmark::DoNotOptimize(statusLook(file, 1'800'000'000.0));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(content.size()));
}
BENCHMARK(BM_StatusLookLarge)->Arg(64 << 10)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

void BM_DeepNestingRefused(benchmark::State& state) {
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  for (auto _ : state) benchmark::DoNotOptimize(parseJson(deep));
}
BENCHMARK(BM_DeepNestingRefused)->Unit(benchmark::kMicrosecond);

void BM_StatusLineOf250Characters(benchmark::State& state) {
  std::string message;
  for (int i = 0; i < 250; ++i) message += (i % 10 == 0) ? "é" : "a";
  for (auto _ : state) benchmark::DoNotOptimize(graphemePrefix(message, 100));
}
BENCHMARK(BM_StatusLineOf250Characters);

}  // namespace
}  // namespace quorvane::bench
