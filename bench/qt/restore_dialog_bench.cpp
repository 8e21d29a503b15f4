// How long the restore dialog takes to open with a long history, and its pop-up
// each time the person opens it, on the offscreen platform; beside them a plain
// combo box with the same items. Also an alert with 20 MB of engine output. Run:
//   build/bench/quorvane_qt_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>

#include "history/version_list.h"
#include "platform/qt/alert_dialog.h"

namespace quorvane {
namespace {

std::vector<VersionEntry> versions(std::int64_t count) {
  std::vector<VersionEntry> list;
  for (std::int64_t i = 0; i < count; ++i) {
    list.push_back({static_cast<std::uint64_t>(i), "Documents/folder-" + std::to_string(i % 97) +
                                                       "/file-" + std::to_string(i) +
                                                       ".txt — 1/15/27, 9:00 AM — Ana's laptop"});
  }
  return list;
}

// From nothing to the dialog on screen: building it and showing it.
void BM_RestoreDialogOpens(benchmark::State& state) {
  const Alert alert = restoreDialog(versions(state.range(0)));
  for (auto _ : state) {
    AlertDialog dialog(alert);
    dialog.show();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_RestoreDialogOpens)->Arg(1'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_RestorePopUpOpens(benchmark::State& state) {
  AlertDialog dialog(restoreDialog(versions(state.range(0))));
  dialog.show();
  auto* popUp = qobject_cast<QComboBox*>(dialog.fields().at(0));
  for (auto _ : state) {
    popUp->showPopup();
    QApplication::processEvents();
    state.PauseTiming();
    popUp->hidePopup();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RestorePopUpOpens)->Arg(1'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

// What the adapter did before: items added one by one to a plain combo box.
void BM_PlainComboBoxPopUpOpens(benchmark::State& state) {
  QComboBox popUp;
  for (const VersionEntry& entry : versions(state.range(0))) {
    popUp.addItem(QString::fromStdString(entry.label));
  }
  popUp.setFixedSize(600, 28);
  popUp.show();
  for (auto _ : state) {
    popUp.showPopup();
    QApplication::processEvents();
    state.PauseTiming();
    popUp.hidePopup();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_PlainComboBoxPopUpOpens)
    ->Arg(1'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_AlertWith20MBOfOutputOpens(benchmark::State& state) {
  std::string output(20 << 20, ' ');
  for (std::size_t i = 0; i < output.size(); ++i) output[i] = static_cast<char>('a' + i % 26);
  const Alert alert{"Could not load history", output, {}, std::nullopt};
  for (auto _ : state) {
    AlertDialog dialog(alert);
    dialog.show();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_AlertWith20MBOfOutputOpens)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace quorvane

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
