// What every 2-second tick costs on the main thread: parsing the status file into
// a look, and building the menu model. Run: build/bench/quorvane_bench
#include <benchmark/benchmark.h>

#include <string>

#include "common/json_document.h"
#include "common/text.h"
#include "status/menu_model.h"
#include "status/status_look.h"

namespace quorvane {
namespace {

constexpr double kNow = 1'800'000'000.0;

std::string typicalStatus() {
  return R"({"state":"synced","message":"Up to date — 1,204 files in Shared","updated_at":)" +
         std::to_string(kNow - 3) + R"(,"pending":0,"errors":[]})";
}

void BM_StatusLookTypical(benchmark::State& state) {
  const std::optional<std::string> content = typicalStatus();
  for (auto _ : state) benchmark::DoNotOptimize(statusLook(content, kNow));
}
BENCHMARK(BM_StatusLookTypical);

// A status file padded to the given size: the look must stay cheap enough to
// read whole every tick even when the engine writes something huge.
void BM_StatusLookLarge(benchmark::State& state) {
  std::string content = R"({"state":"synced","message":"ok","updated_at":1800000000,"pad":")";
  content.append(static_cast<std::size_t>(state.range(0)), 'x');
  content += "\"}";
  const std::optional<std::string> file = content;
  for (auto _ : state) benchmark::DoNotOptimize(statusLook(file, kNow));
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

void BM_MenuModel(benchmark::State& state) {
  const Json account = Json::parse(R"({"username":"ana","admin":true})");
  MenuFacts facts;
  facts.statusLine = "Up to date";
  facts.hasFolder = true;
  facts.account = &account;
  for (auto _ : state) benchmark::DoNotOptimize(menuModel(facts));
}
BENCHMARK(BM_MenuModel);

}  // namespace
}  // namespace quorvane
