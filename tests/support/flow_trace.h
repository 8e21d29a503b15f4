#pragma once

// const FlowCase c{"cancelled", behaviour, {{A, "Restore a file version +busy", "Cancel"}},
//                  {"history --config {config}"}};
// expectFlow(h, "Version History…", c);  // h configured, not yet launched

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/app_harness.h"

namespace quorvane::testing {

// One dialog of a flow and the person's answer (scripted_person.h). A title may end
// in " +busy" and/or " +watch": the state of the application while that dialog is
// up; without a suffix, neither. Paths in panel answers and in commands are written
// with {config}, {folder} (the sync folder), {bundle} and {dir} (the harness's).
using Step = Dialog;
inline constexpr Dialog::Kind A = Dialog::alert, P = Dialog::open, S = Dialog::save;

// One run of a flow against the fake engine, and what it should come to.
struct FlowCase {
  std::string name;
  std::string behaviour;                   // the fake engine's behaviour.json (empty: none)
  std::vector<Step> steps = {};            // every dialog, in order
  std::vector<std::string> commands = {};  // the engine's runs but watch, arguments joined
  std::optional<Json> input =
      std::nullopt;  // the last command's standard input, compact (null: empty)
  std::optional<std::string> lastText = std::nullopt;  // the last alert's informative text
};

// `text` with the placeholders above replaced by the harness's paths, and back.
std::string expandPaths(const AppHarness& h, std::string text);
std::string abbreviatePaths(const AppHarness& h, std::string text);

// Sets the case's engine (when a watch runs, the caller must have set it before the
// launch), queues its dialogs, calls `begin`, runs until idle and checks the case;
// the application must end not busy.
void runFlow(AppHarness& h, const FlowCase& c, const std::function<void()>& begin);
// Launches the configured application with the case's engine and runs the flow of
// `menuItem`, which must stop the watch first and start a new one at its end.
void expectFlow(AppHarness& h, const std::string& menuItem, const FlowCase& c);

}  // namespace quorvane::testing
