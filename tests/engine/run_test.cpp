#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

// The runner runs on a background thread here, as in the product.
TEST(Run, ShowsWorkingAndDeliversOnTheMainThreadBeforeRefreshingUnlessAnotherFollows) {
  AppHarness h;
  h.launch();
  h.bundle.setBehaviour(R"({"export-profile": {"stderr": "no such server\n", "exit_code": 2}})");
  const auto mainThread = std::this_thread::get_id();
  std::vector<std::string> done;
  h.app->run({"export-profile", "--config", h.app->config().string()}, R"({"password":"pw"})",
             [&](std::int32_t status, const std::string& text) {
               done.push_back(text);
               EXPECT_EQ(status, 2);
               EXPECT_FALSE(h.app->busy());
               EXPECT_EQ(std::this_thread::get_id(), mainThread);
               h.app->run({"account-info"}, std::nullopt, [&](std::int32_t, const std::string&) {
                 EXPECT_FALSE(h.app->busy());
                 done.push_back("second");
               });
             });
  EXPECT_TRUE(h.app->busy());
  EXPECT_EQ(h.fake.ui.statusLines().back(), "Working…");
  ASSERT_EQ(h.fake.ui.menu()[13].title, "Set Up This Computer…");
  EXPECT_FALSE(h.fake.ui.menu()[13].enabled);

  h.fake.loop.runUntilIdle();
  EXPECT_EQ(done, (std::vector<std::string>{"no such server\n", "second"}));
  // The refresh after the first command found the second running and kept "Working…".
  EXPECT_EQ(h.fake.ui.statusLines(),
            (std::vector<std::string>{"Quorvane", "Working…", "Working…", "Waiting to connect"}));
  ASSERT_EQ(h.bundle.journal().size(), 2u);
  EXPECT_EQ(h.bundle.journal()[0].input, R"({"password":"pw"})");
}

}  // namespace
}  // namespace quorvane::testing
