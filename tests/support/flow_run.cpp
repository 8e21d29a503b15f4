#include "support/flow_run.h"

#include <gtest/gtest.h>

namespace quorvane::testing {

std::string expandPaths(const AppHarness& h, std::string text) {
  // The longest paths first: the configuration and sync folder lie inside {dir}.
  const std::pair<std::string, std::string> placeholders[] = {
      {"{config}", h.config().string()},
      {"{folder}", h.syncFolder().string()},
      {"{bundle}", h.dir.path().string() + "/Quorvane.app"},
      {"{dir}", h.dir.path().string()}};
  for (const auto& [name, path] : placeholders) {
    for (auto at = text.find(name); at != std::string::npos; at = text.find(name, at + path.size()))
      text.replace(at, name.size(), path);
  }
  return text;
}

void runFlow(AppHarness& h, const FlowCase& c, const std::function<void()>& begin) {
  SCOPED_TRACE(c.name);
  for (const auto& [command, result] : c.replies) h.engine->reply(command, result);
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
    h.fake.ui.expect(std::move(step));
  }
  const std::size_t runsAtStart = h.engine->runs.size();
  const std::size_t alertsAtStart = h.fake.ui.alerts.size();
  begin();
  h.fake.loop.runUntilIdle();

  std::vector<std::string> commands;
  for (std::size_t i = runsAtStart; i < h.engine->runs.size(); ++i) {
    std::string line;
    for (const std::string& argument : h.engine->runs[i].arguments) {
      line += (line.empty() ? "" : " ") + argument;
    }
    commands.push_back(line);
  }
  std::vector<std::string> expected;
  for (const std::string& command : c.commands) expected.push_back(expandPaths(h, command));
  EXPECT_EQ(commands, expected);
  if (c.input) {
    ASSERT_GT(h.engine->runs.size(), runsAtStart);
    EXPECT_EQ(h.engine->runs.back().input.value_or(""), c.input->is_null() ? "" : c.input->dump());
  }
  if (c.lastText) {
    ASSERT_GT(h.fake.ui.alerts.size(), alertsAtStart);
    EXPECT_EQ(h.fake.ui.alerts.back().informativeText, *c.lastText);
  }
  EXPECT_FALSE(h.app->busy());
}

void expectFlow(AppHarness& h, const std::string& menuItem, const FlowCase& c) {
  h.launch();
  const int watchAtStart = h.workerPid();
  runFlow(h, c, [&] { h.fake.ui.choose(menuItem); });
  EXPECT_NE(h.workerPid(), -1) << c.name << ": syncing again";
  EXPECT_NE(h.workerPid(), watchAtStart) << c.name << ": the watch was never stopped";
}

}  // namespace quorvane::testing
