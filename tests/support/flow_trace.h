#pragma once

// FlowTrace trace(h);               // h launched with a folder, so the watch runs
// h.fake.ui.choose("Account…"); h.fake.loop.runUntilIdle();
// EXPECT_EQ(trace.seen(), std::vector<std::string>{"Your account +busy"});
// EXPECT_TRUE(trace.endedSyncingAgain());

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/app_harness.h"

namespace quorvane::testing {

// Watches one flow of a launched application: each dialog it showed, with the
// state of the application while that dialog was up.
class FlowTrace {
 public:
  explicit FlowTrace(AppHarness& h);
  ~FlowTrace();
  FlowTrace(const FlowTrace&) = delete;
  FlowTrace& operator=(const FlowTrace&) = delete;

  // Every dialog's title, with " +busy" when busy was set and " +watch" when a
  // watch process ran while it was up.
  const std::vector<std::string>& seen() const { return seen_; }
  // The engine commands run since the trace began, watch left out.
  std::vector<FakeEngineBundle::Run> commands() const;
  // Their argument vectors joined by spaces, the configuration's path as "{config}".
  std::vector<std::string> commandLines() const;
  // Not busy, and a new watch process runs in place of the one there at the start.
  ::testing::AssertionResult endedSyncingAgain() const;

 private:
  AppHarness& h_;
  std::size_t journalAtStart_;
  int watchAtStart_;
  std::vector<std::string> seen_;
};

// One dialog of a flow: the person's answer, and whether busy is set while it is up.
struct Step {
  std::string title;
  bool busy = false;
  std::string button = {};  // pressed; empty: the first
  std::vector<std::pair<std::size_t, std::string>> typed = {};
  int item = -1;  // the pop-up item to select, if any
};

// One run of a menu command against the fake engine, and what it should come to.
struct FlowCase {
  std::string name;
  std::string behaviour;                               // the fake engine's behaviour.json
  std::vector<Step> steps;                             // every dialog, in order
  std::vector<std::string> commands;                   // as FlowTrace::commandLines()
  std::optional<Json> input = std::nullopt;            // the last command's standard input, parsed
  std::optional<std::string> lastText = std::nullopt;  // the last alert's informative text
};

// Launches the configured application with the case's engine, chooses `menuItem`,
// runs the flow to its end and checks the case: no watch process while a dialog
// is up, and a new one at the end.
void expectFlow(AppHarness& h, const std::string& menuItem, const FlowCase& c);

}  // namespace quorvane::testing
