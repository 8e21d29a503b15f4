#include <gtest/gtest.h>

#include "onboarding/flow_steps.h"

namespace quorvane::testing {
namespace {

constexpr Step::Kind A = Step::alert, P = Step::panel;

enum Given { fresh, configured, busy, configuredAndBusy };
enum Entry { menu, chooserWithFile, opened };

// Every way in leads to the dialogs listed and no others (the scripted person sees
// to that); each is cancelled, so nothing reaches the engine.
TEST(Setup, TheChooserAndOpenedFilesLeadToTheirFlowOrNowhere) {
  const struct {
    const char* name;
    Given given;
    Entry entry;
    std::vector<std::filesystem::path> files;
    std::vector<Step> steps;
  } cases[] = {
      {"Cancel", fresh, menu, {}, {{A, kChooser, "Cancel"}}},
      {"Sign In", fresh, menu, {}, {{A, kChooser, "Sign In"}, {P, kServer}}},
      {"invitation", fresh, menu, {}, {{A, kChooser, "Use Pairing Invitation"}, {P, kInvitation}}},
      {"configured", configured, menu, {}, {}},
      {"busy", busy, menu, {}, {}},
      {"a file pairs", fresh, chooserWithFile, {"/i"}, {{P, kPairFolder}}},
      {"a file, configured", configured, chooserWithFile, {"/i"}, {{A, "Already paired"}}},
      {"a file, busy", configuredAndBusy, chooserWithFile, {"/i"}, {}},
      {"no files", fresh, opened, {}, {}},
      {"first only", fresh, opened, {"/s.quorvane-server", "/i"}, {{A, kSignIn, "Cancel"}}},
      {"case counts",
       fresh,
       opened,
       {"/s.QUORVANE-SERVER", "/s.quorvane-server"},
       {{P, kPairFolder}}},
      {"server file, configured", configured, opened, {"/s.quorvane-server"}, {}},
      {"server file, busy", busy, opened, {"/s.quorvane-server"}, {}},
      {"invitation, configured", configured, opened, {"/i"}, {{A, "Already paired"}}},
      {"invitation, configured, busy", configuredAndBusy, opened, {"/i"}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    AppHarness h;
    if (c.given == configured || c.given == configuredAndBusy) h.configure();
    // A command whose result is still to be delivered keeps the application busy.
    const bool running = c.given == busy || c.given == configuredAndBusy;
    if (running) h.app->run({"account-info"}, std::nullopt, {});
    expectSteps(h, c.steps);
    if (c.entry == menu) h.app->setupAction();
    if (c.entry == chooserWithFile) h.app->setup(c.files.front());
    if (c.entry == opened) h.app->applicationOpen(c.files);
    EXPECT_EQ(h.fake.ui.activations, int(c.steps.size())) << "each dialog comes to the front";
    h.fake.loop.runUntilIdle();
    EXPECT_EQ(commands(h).size(), running ? 1u : 0u);
  }
}

// On an unconfigured computer a file opened at launch, or handed over before the
// chooser is due, runs its own flow, and the chooser never follows, however long
// the person thinks.
TEST(Setup, AFileOpenedAtLaunchRunsItsFlowInsteadOfTheChooser) {
  const struct {
    double openedAt;  // seconds after launch; negative: no file
    std::filesystem::path file;
    Step step;
  } cases[] = {
      {-1, "", {A, kChooser, "Cancel"}},
      {0, "/s.quorvane-server", {A, kSignIn, "Cancel", 3}},
      {0, "/invitation", {P, kPairFolder, "", 3}},
      {0.2, "/s.quorvane-server", {A, kSignIn, "Cancel"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    AppHarness h;
    expectSteps(h, {c.step});
    h.launch();
    if (c.openedAt >= 0) {
      h.fake.loop.advance(c.openedAt);
      h.app->applicationOpen({c.file});
    }
    h.fake.loop.advance(10.0);
  }
}

}  // namespace
}  // namespace quorvane::testing
