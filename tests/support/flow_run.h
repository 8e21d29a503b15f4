#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/app_harness.h"

namespace quorvane::testing {

// One dialog of a flow and the person's answer (fake_ui.h). A title may end
// in " +busy" and/or " +watch": the state of the application while that dialog is
// up; without a suffix, neither. Paths in panel answers and in commands are written
// with {config}, {folder} (the sync folder), {bundle} and {dir} (the harness's).
using Step = Dialog;

// One run of a flow against the engine in process, and what the person saw.
struct FlowCase {
  std::string name;
  std::vector<std::pair<std::string, EngineResult>> replies = {};  // others: 0, no text
  std::vector<Step> steps = {};                                    // every dialog, in order
  std::vector<std::string> commands = {};    // the engine's commands, arguments joined
  std::optional<Json> input = std::nullopt;  // the last command's standard input (null: none)
  std::optional<std::string> lastText = std::nullopt;  // the last alert's informative text
};

// `text` with the placeholders above replaced by the harness's paths.
std::string expandPaths(const AppHarness& h, std::string text);

// Scripts the case's engine and dialogs, calls `begin`, runs until idle and checks
// what the person saw and the engine was asked; the application must end not busy.
void runFlow(AppHarness& h, const FlowCase& c, const std::function<void()>& begin);
// Launches the configured application and runs the flow of the menu item titled
// `menuItem`, which must stop the watch first and start a new one at its end.
void expectFlow(AppHarness& h, const std::string& menuItem, const FlowCase& c);

}  // namespace quorvane::testing
