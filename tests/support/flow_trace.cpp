#include "support/flow_trace.h"

namespace quorvane::testing {

FlowTrace::FlowTrace(AppHarness& h)
    : h_(h), journalAtStart_(h.bundle.journal().size()), watchAtStart_(h.workerPid()) {
  h_.fake.ui.onModal = [this](const std::string& title) {
    seen_.push_back(title + (h_.app->busy() ? " +busy" : "") + (h_.app->worker() ? " +watch" : ""));
  };
}

FlowTrace::~FlowTrace() {
  h_.fake.ui.onModal = nullptr;
}

std::vector<FakeEngineBundle::Run> FlowTrace::commands() const {
  std::vector<FakeEngineBundle::Run> runs = h_.bundle.journal();
  std::vector<FakeEngineBundle::Run> commands;
  for (std::size_t i = journalAtStart_; i < runs.size(); ++i) {
    if (runs[i].arguments.empty() || runs[i].arguments[0] != "watch") commands.push_back(runs[i]);
  }
  return commands;
}

std::vector<std::string> FlowTrace::commandLines() const {
  std::vector<std::string> lines;
  for (const FakeEngineBundle::Run& run : commands()) {
    std::string line;
    for (const std::string& argument : run.arguments) {
      line += (line.empty() ? "" : " ") +
              (argument == h_.app->config().string() ? "{config}" : argument);
    }
    lines.push_back(line);
  }
  return lines;
}

::testing::AssertionResult FlowTrace::endedSyncingAgain() const {
  if (h_.app->busy()) return ::testing::AssertionFailure() << "still busy";
  const int pid = h_.workerPid();
  if (pid < 0) return ::testing::AssertionFailure() << "no watch process runs";
  if (pid == watchAtStart_) return ::testing::AssertionFailure() << "the watch was never stopped";
  return ::testing::AssertionSuccess();
}

void expectFlow(AppHarness& h, const std::string& menuItem, const FlowCase& c) {
  SCOPED_TRACE(c.name);
  // Before the launch: a watch process starting meanwhile would read a half-written file.
  h.bundle.setBehaviour(c.behaviour);
  h.launch();
  std::vector<std::string> seen;
  for (const Step& step : c.steps) {
    AlertAnswer& answer = h.fake.ui.person.expectAlert(step.title).press(step.button);
    for (const auto& [field, text] : step.typed) answer.type(field, text);
    if (step.item >= 0) answer.select(0, step.item);
    seen.push_back(step.title + (step.busy ? " +busy" : ""));
  }
  const std::size_t alertsBefore = h.fake.ui.alerts.size();
  FlowTrace trace(h);
  h.fake.ui.choose(menuItem);
  h.fake.loop.runUntilIdle();

  EXPECT_EQ(trace.seen(), seen);
  EXPECT_EQ(trace.commandLines(), c.commands);
  if (c.input) {
    const std::vector<FakeEngineBundle::Run> runs = trace.commands();
    ASSERT_FALSE(runs.empty());
    const std::optional<std::string>& input = runs.back().input;
    EXPECT_EQ(input ? parseJson(*input) : std::nullopt, c.input);
  }
  if (c.lastText) {
    ASSERT_GT(h.fake.ui.alerts.size(), alertsBefore);
    EXPECT_EQ(h.fake.ui.alerts.back().informativeText, *c.lastText);
  }
  EXPECT_TRUE(trace.endedSyncingAgain());
}

}  // namespace quorvane::testing
