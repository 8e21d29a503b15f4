// Engine commands that misbehave, through the flows a person uses: what the person
// is told, and that the application goes on (syncing, and the next command).
#include <gtest/gtest.h>

#include <algorithm>

#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

struct CommandFault {
  const char* name;
  const char* behaviour;
  const char* command;  // the menu command whose flow meets it
  const char* title;    // the alert the person sees
  std::function<bool(const std::string&)> text;
};

void answer(AppHarness& h, const std::string& command, const std::string& title) {
  ScriptedPerson& person = h.fake.ui.person;
  if (command == "Export Server Connection…") {
    person.expectSavePanel().choose(h.dir / "Office.quorvane-server");
  } else {
    person.expectAlert("Sign in again").type(0, "ana").type(1, "a password of some length");
  }
  person.expectAlert(title);
}

TEST(CommandFaults, EachIsToldInItsFlowsAlertAndTheApplicationGoesOn) {
  const CommandFault faults[] = {
      // Whether the request still went into the pipe is a race: either the engine's
      // status and its (empty) output, or the failed write.
      {"exits without reading its input",
       R"({"relogin": {"exit_without_reading": true, "exit_code": 1}})", "Sign In Again…",
       "Could not sign in",
       [](const std::string& text) { return text.empty() || text == "Broken pipe"; }},
      {"prints 50 MB", R"({"export-profile": {"output_bytes": 50000000, "exit_code": 1}})",
       "Export Server Connection…", "Could not export",
       [](const std::string& text) { return text.size() == 50'000'000; }},
      {"prints invalid UTF-8",
       R"({"export-profile": {"output": [{"stream": "err", "hex": "4e6f20e2"}], "exit_code": 3}})",
       "Export Server Connection…", "Could not export",
       [](const std::string& text) { return text.empty(); }},
      {"crashes", R"({"relogin": {"crash_signal": 9}})", "Sign In Again…", "Could not sign in",
       [](const std::string& text) { return text.empty(); }},
  };
  for (const CommandFault& fault : faults) {
    SCOPED_TRACE(fault.name);
    AppHarness h;
    h.configure();
    h.bundle.setBehaviour(fault.behaviour);
    h.launch();
    answer(h, fault.command, fault.title);
    h.fake.ui.choose(fault.command);
    h.fake.loop.runUntilIdle();
    ASSERT_FALSE(h.fake.ui.alerts.empty());
    EXPECT_TRUE(fault.text(h.fake.ui.alerts.back().informativeText))
        << h.fake.ui.alerts.back().informativeText.substr(0, 80);
    EXPECT_FALSE(h.app->busy());
    EXPECT_NE(h.app->worker(), nullptr) << "syncing goes on";

    // The next command runs as usual. (The restarted watch may write its own line
    // of the journal after it, so the exports are counted.)
    const auto exports = [&h] {
      const auto journal = h.bundle.journal();
      return std::count_if(journal.begin(), journal.end(), [](const auto& entry) {
        return entry.arguments.at(0) == "export-profile";
      });
    };
    const auto before = exports();
    h.bundle.setBehaviour("{}");
    h.fake.ui.person.expectSavePanel().choose(h.dir / "Again.quorvane-server");
    h.fake.ui.choose("Export Server Connection…");
    h.fake.loop.runUntilIdle();
    EXPECT_EQ(exports(), before + 1);
  }
}

}  // namespace
}  // namespace quorvane::testing
