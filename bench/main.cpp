// Runs the benchmarks, then prints each figure beside its floor and their ratio.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "figures.h"

namespace {

// The console output as usual, and the mean real time of each benchmark kept.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
      seconds[run.benchmark_name()] = run.real_accumulated_time / double(run.iterations);
    }
  }
  std::map<std::string, double> seconds;
};

std::string readable(double seconds) {
  char text[32];
  if (seconds >= 1) {
    std::snprintf(text, sizeof text, "%.2f s", seconds);
  } else if (seconds >= 1e-3) {
    std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
  } else {
    std::snprintf(text, sizeof text, "%.2f us", seconds * 1e6);
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::printf("\n%-26s %10s %-36s %10s %7s  %s\n", "figure", "measured", "floor", "floor time",
              "ratio", "goal");
  for (const auto& pair : quorvane::bench::floorPairs()) {
    auto figure = reporter.seconds.find(pair.figure);
    auto floor = reporter.seconds.find(pair.floor);
    if (figure == reporter.seconds.end() || floor == reporter.seconds.end()) continue;
    std::printf("%-26s %10s %-36s %10s %6.2fx  %s\n", pair.figure.c_str(),
                readable(figure->second).c_str(), pair.floor.c_str(),
                readable(floor->second).c_str(), figure->second / floor->second, pair.goal.c_str());
  }
  return 0;
}
