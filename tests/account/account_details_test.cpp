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
      {0, R"({"admin": true})", true, true},   {0, R"({"admin": "true"})", true, false},
      {0, R"({"admin": 1})", true, false},     {0, "{}", true, false},
      {1, R"({"admin": true})", false, false}, {0, R"([{"admin": true}])", false, false},
      {0, "{} trailing", false, false},
  };
  for (const auto& c : cases) {
    const std::optional<Json> details = accountDetails(c.status, c.output);
    EXPECT_EQ(details.has_value(), c.loaded) << c.output;
    EXPECT_EQ(details && isAdministrator(*details), c.administrator) << c.output;
  }
}

// Members of another type count as missing; only true says a password is set.
TEST(AccountView, TakesEachMemberOnlyWhenOfItsOwnType) {
  const AccountView view =
      accountView({{"username", 7}, {"display_name", 7}, {"password_set", "yes"}});
  EXPECT_EQ(view.title, "Your account");
  EXPECT_TRUE(view.text.starts_with("Username: \n\nYour files are private")) << view.text;
  EXPECT_EQ(view.firstButton, "Set Up Sign-In…");
  EXPECT_EQ(view.formUsername, "owner");
  EXPECT_EQ(view.askCurrentPassword, AskCurrentPassword::no);
}

}  // namespace
}  // namespace quorvane
