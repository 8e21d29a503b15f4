#include <gtest/gtest.h>

#include "onboarding/flow_steps.h"

namespace quorvane::testing {
namespace {

constexpr Step::Kind A = Step::alert;

// The watch stays stopped from the question until the result has been read, then
// runs again unless it was paused; while another command runs nothing happens.
TEST(SignInAgain, HoldsTheWatchStoppedUntilTheResultIsDismissed) {
  const std::string ask = "Sign in again +busy";
  const std::vector<Step> cancel{{A, ask, "Cancel"}},
      signedIn{{A, ask, "Sign In"}, {A, "Signed in"}},
      refused{{A, ask, "Sign In"}, {A, "Could not sign in"}};
  const std::map<std::string, std::string> told{
      {"Signed in", "This Mac will resume synchronising the same account and folder."},
      {"Could not sign in", "expired\n"}};
  const struct {
    const char* name;
    bool paused, busy;
    std::vector<Step> steps;
  } cases[] = {
      {"Cancel", false, false, cancel},          {"signed in", false, false, signedIn},
      {"refused", false, false, refused},        {"paused, Cancel", true, false, cancel},
      {"paused, refused", true, false, refused}, {"while a command runs", false, true, {}},
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
    const std::string result = c.steps.size() == 2 ? c.steps[1].dialog : "";
    if (result == "Could not sign in") {
      h.bundle.setBehaviour(R"({"relogin": {"stdout": "expired\n", "exit_code": 3}})");
    }
    expectSteps(h, c.steps);
    h.app->signInAgain();
    h.fake.loop.runUntilIdle();

    EXPECT_FALSE(h.app->busy());
    EXPECT_EQ(h.workerPid() == -1, c.paused);
    EXPECT_EQ(h.workerPid() == before, c.busy) << "a new watch unless never stopped";
    if (!result.empty()) {
      EXPECT_EQ(h.fake.ui.alerts.back().informativeText, told.at(result));
    }
    std::vector<FakeEngineBundle::Run> sent = commands(h);
    if (c.busy) sent.erase(sent.begin());
    ASSERT_EQ(sent.size(), result.empty() ? 0u : 1u);
    if (sent.empty()) continue;
    EXPECT_EQ(sent[0].arguments,
              (std::vector<std::string>{"relogin", "--config", h.app->config()}));
    const Json request{{"username", kUsername}, {"password", kPassword}, {"device", "BroMac2"}};
    EXPECT_EQ(sent[0].input, request.dump());
  }
}

}  // namespace
}  // namespace quorvane::testing
