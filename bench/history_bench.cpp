// The version history on the main thread, for histories of 1,000 to 1,000,000
// versions: reading (parse and check), labelling and reversing, and the whole;
// beside them nlohmann's parse of the same text alone. Run:
//   build/bench/quorvane_bench --benchmark_filter=History
#include <benchmark/benchmark.h>

#include <string>

#include "common/json_document.h"
#include "history/version_list.h"

namespace quorvane {
namespace {

// A history as the engine prints it, oldest first: paths in a few folders, one
// element in fifty deleted ("content" null), every device named.
std::string generatedHistory(std::int64_t count) {
  std::string text = "[";
  for (std::int64_t i = 0; i < count; ++i) {
    if (i > 0) text += ',';
    text += R"([")" + std::string("Documents/folder-") + std::to_string(i % 97) + "/file-" +
            std::to_string(i) + R"(.txt",{"content":)" +
            (i % 50 == 0 ? std::string("null") : R"("sha256:)" + std::to_string(i * 7919) + '"') +
            R"(,"revision":)" + std::to_string(1'000'000 + i) + R"(,"time":)" +
            std::to_string(1'700'000'000 + i * 60) + R"(.25,"device":"Ana's laptop"})" + "]";
  }
  return text + "]";
}

void setCounters(benchmark::State& state, std::size_t bytes) {
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}

void BM_HistoryParseNlohmannAlone(benchmark::State& state) {
  const std::string text = generatedHistory(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(Json::parse(text));
  setCounters(state, text.size());
}

void BM_HistoryReadAndCheck(benchmark::State& state) {
  const std::string text = generatedHistory(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(readHistory(text));
  setCounters(state, text.size());
}

void BM_HistoryLabelAndReverse(benchmark::State& state) {
  const std::string text = generatedHistory(state.range(0));
  const std::vector<HistoryVersion> history = *readHistory(text);
  const VersionLabels labels("en_US", "Europe/Berlin");
  for (auto _ : state) benchmark::DoNotOptimize(versionList(history, labels));
  setCounters(state, text.size());
}

// What "Version History…" does between the engine's answer and the dialog.
void BM_HistoryWhole(benchmark::State& state) {
  const std::string text = generatedHistory(state.range(0));
  for (auto _ : state) {
    const VersionLabels labels;
    benchmark::DoNotOptimize(restoreDialog(versionList(*readHistory(text), labels)));
  }
  setCounters(state, text.size());
}

void historySizes(benchmark::internal::Benchmark* benchmark) {
  for (std::int64_t count : {1'000, 10'000, 100'000, 1'000'000}) benchmark->Arg(count);
  benchmark->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_HistoryParseNlohmannAlone)->Apply(historySizes);
BENCHMARK(BM_HistoryReadAndCheck)->Apply(historySizes);
BENCHMARK(BM_HistoryLabelAndReverse)->Apply(historySizes);
BENCHMARK(BM_HistoryWhole)->Apply(historySizes);

}  // namespace
}  // namespace quorvane
