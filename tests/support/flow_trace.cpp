#include "support/flow_trace.h"

#include <gtest/gtest.h>

namespace quorvane::testing {
namespace {

std::vector<std::pair<std::string, std::string>> placeholders(const AppHarness& h) {
  // The longest paths first: the configuration and sync folder lie inside {dir}.
  return {{"{config}", h.app->config().string()},
          {"{folder}", h.syncFolder().string()},
          {"{bundle}", h.bundle.directory().string()},
          {"{dir}", h.dir.path().string()}};
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

}  // namespace

std::string expandPaths(const AppHarness& h, std::string text) {
  for (const auto& [name, path] : placeholders(h)) text = replaced(text, name, path);
  return text;
}

std::string abbreviatePaths(const AppHarness& h, std::string text) {
  for (const auto& [name, path] : placeholders(h)) text = replaced(text, path, name);
  return text;
}

void runFlow(AppHarness& h, const FlowCase& c, const std::function<void()>& begin) {
  SCOPED_TRACE(c.name);
  // A watch process starting meanwhile could read a half-written behaviour.
  if (!c.behaviour.empty() && !h.app->worker()) h.bundle.setBehaviour(c.behaviour);
  for (Step step : c.steps) {
    const std::size_t suffix = std::min(step.title.find(" +"), step.title.size());
    const std::string state = step.title.substr(suffix);
    step.title.resize(suffix);
    if (step.kind != A) step.answer = expandPaths(h, step.answer);
    step.look = [&h, state, title = step.title] {
      EXPECT_EQ(std::string(h.app->busy() ? " +busy" : "") + (h.app->worker() ? " +watch" : ""),
                state)
          << "while \"" << title << "\" was up";
    };
    h.fake.ui.person.expect(std::move(step));
  }
  const std::size_t journalAtStart = h.bundle.journal().size();
  const std::size_t alertsAtStart = h.fake.ui.alerts.size();
  begin();
  h.fake.loop.runUntilIdle();

  std::vector<std::string> commands;
  std::optional<std::string> lastInput;
  const std::vector<FakeEngineBundle::Run> runs = h.bundle.journal();
  for (std::size_t i = journalAtStart; i < runs.size(); ++i) {
    if (runs[i].arguments.at(0) == "watch") continue;
    std::string line;
    for (const std::string& argument : runs[i].arguments)
      line += (line.empty() ? "" : " ") + argument;
    commands.push_back(abbreviatePaths(h, line));
    lastInput = runs[i].input;
  }
  EXPECT_EQ(commands, c.commands);
  if (c.input) {
    EXPECT_EQ(lastInput.value_or("?"), c.input->is_null() ? "" : c.input->dump());
  }
  if (c.lastText) {
    ASSERT_GT(h.fake.ui.alerts.size(), alertsAtStart);
    EXPECT_EQ(h.fake.ui.alerts.back().informativeText, *c.lastText);
  }
  EXPECT_FALSE(h.app->busy());
}

void expectFlow(AppHarness& h, const std::string& menuItem, const FlowCase& c) {
  if (!c.behaviour.empty()) h.bundle.setBehaviour(c.behaviour);
  h.launch();
  const int watchAtStart = h.workerPid();
  runFlow(h, c, [&] { h.fake.ui.choose(menuItem); });
  EXPECT_NE(h.workerPid(), -1) << c.name << ": syncing again";
  EXPECT_NE(h.workerPid(), watchAtStart) << c.name << ": the watch was never stopped";
}

}  // namespace quorvane::testing
