#include "onboarding/flow_steps.h"

#include <gtest/gtest.h>

namespace quorvane::testing {

void expectSteps(AppHarness& h, const std::vector<Step>& steps) {
  for (const Step& step : steps) {
    const std::size_t suffix = std::min(step.dialog.find(" +"), step.dialog.size());
    const std::string dialog = step.dialog.substr(0, suffix);
    auto check = [&h, step, dialog, state = step.dialog.substr(suffix)] {
      EXPECT_EQ(std::string(h.app->busy() ? " +busy" : "") + (h.app->worker() ? " +watch" : ""),
                state)
          << "while \"" << dialog << "\" was up";
      if (step.kind == Step::panel) {
        EXPECT_EQ(h.fake.ui.openPanels.back().title, dialog);
      }
    };
    if (step.kind == Step::panel) {
      PanelAnswer& answer = h.fake.ui.person.expectOpenPanel().whileShown(check);
      answer.thinkFor(step.thinkSeconds);
      if (!step.answer.empty()) answer.choose(expand(h, step.answer));
      continue;
    }
    AlertAnswer& answer = h.fake.ui.person.expectAlert(dialog).whileShown(check);
    answer.thinkFor(step.thinkSeconds);
    if (!step.answer.empty()) answer.press(step.answer);
    if (dialog == "Sign in to Quorvane" || dialog == "Sign in again") {
      answer.type(0, kUsername).type(1, kPassword);
    }
  }
}

std::string expand(const AppHarness& h, std::string text) {
  const std::pair<std::string, std::filesystem::path> names[] = {
      {"{folder}", h.syncFolder()},
      {"{config}", h.app->config()},
      {"{server}", h.dir / "Office.quorvane-server"},
      {"{own}", h.bundle.directory() / "Contents/Resources/Quorvane Home.quorvane-server"},
      {"{invitation}", h.dir / "invitation"},
  };
  for (const auto& [name, path] : names) {
    if (text == name) return path;
  }
  return text;
}

std::vector<FakeEngineBundle::Run> commands(const AppHarness& h) {
  std::vector<FakeEngineBundle::Run> runs = h.bundle.journal();
  std::erase_if(runs, [](const auto& run) { return run.arguments.at(0) == "watch"; });
  return runs;
}

}  // namespace quorvane::testing
