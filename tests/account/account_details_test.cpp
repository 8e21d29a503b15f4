#include "account/account_details.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(AccountDetails, AreAnObjectPrintedWithSuccessAndOnlyTrueMakesAnAdministrator) {
  const struct {
    std::int32_t status;
    std::string output;
    bool loaded, administrator;
  } cases[] = {
      {0, R"({"admin": true})", true, true},
      {0, R"({"admin": "true"})", true, false},
      {0, R"({"admin": 1})", true, false},
      {0, "{}", true, false},
      {1, R"({"admin": true})", false, false},
      {0, R"([{"admin": true}])", false, false},
      {0, "", false, false},
      {0, "{} trailing", false, false},
  };
  for (const auto& c : cases) {
    const std::optional<Json> details = accountDetails(c.status, c.output);
    EXPECT_EQ(details.has_value(), c.loaded) << c.output;
    EXPECT_EQ(details && isAdministrator(*details), c.administrator) << c.output;
  }
}

}  // namespace
}  // namespace quorvane
