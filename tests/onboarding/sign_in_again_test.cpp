#include <gtest/gtest.h>

#include "onboarding/flow_steps.h"

namespace quorvane::testing {
namespace {

constexpr Step::Kind A = Step::alert;

// The watch stays stopped from the question until the result has been read, then
// runs again unless it was paused; while another command runs nothing happens.
TEST(SignInAgain, HoldsTheWatchStoppedUntilTheResultIsDismissed) {
  const std::string ask = "Sign in again +busy";
  const struct {
    const char* name;
    bool paused, busy;
    std::vector<Step> steps;
    std::string engine;  // how relogin behaves; empty: it is not run
    std::string told;    // the result alert's text
  } cases[] = {
      {"Cancel", false, false, {{A, ask, "Cancel"}}, "", ""},
      {"signed in",
       false,
       false,
       {{A, ask, "Sign In"}, {A, "Signed in"}},
       "{}",
       "This Mac will resume synchronising the same account and folder."},
      {"refused",
       false,
       false,
       {{A, ask, "Sign In"}, {A, "Could not sign in"}},
       R"({"stdout": "expired\n", "exit_code": 3})",
       "expired\n"},
      {"paused, Cancel", true, false, {{A, ask, "Cancel"}}, "", ""},
      {"paused, refused",
       true,
       false,
       {{A, ask, "Sign In"}, {A, "Could not sign in"}},
       R"({"stdout": "expired\n", "exit_code": 3})",
       "expired\n"},
      {"while a command runs", false, true, {}, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    AppHarness h;
    h.fake.system.hostName = "Büro-Mac 2";
    h.configure();
    h.launch();
    const int before = h.workerPid();
    if (c.paused) h.app->togglePause();
    if (c.busy) h.app->run({"account-info"}, std::nullopt, {});
    h.bundle.setBehaviour(R"({"relogin": )" + (c.engine.empty() ? "{}" : c.engine) + "}");
    expectSteps(h, c.steps);
    h.app->signInAgain();
    h.fake.loop.runUntilIdle();

    EXPECT_FALSE(h.app->busy());
    EXPECT_EQ(h.workerPid() == -1, c.paused);
    EXPECT_EQ(h.workerPid() == before, c.busy) << "a new watch unless never stopped";
    const auto& alerts = h.fake.ui.alerts;
    EXPECT_EQ(alerts.size() == 2 ? alerts.back().informativeText : "", c.told);
    std::vector<FakeEngineBundle::Run> sent = commands(h);
    if (c.busy) sent.erase(sent.begin());
    ASSERT_EQ(sent.size(), c.engine.empty() ? 0u : 1u);
    if (sent.empty()) continue;
    EXPECT_EQ(sent[0].arguments,
              (std::vector<std::string>{"relogin", "--config", h.app->config()}));
    const Json request{{"username", kUsername}, {"password", kPassword}, {"device", "BroMac2"}};
    EXPECT_EQ(sent[0].input, request.dump());
  }
}

}  // namespace
}  // namespace quorvane::testing
