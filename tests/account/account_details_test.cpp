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

// The dialog's title and text; the forms it leads to are driven by the flow tests.
TEST(AccountView, TellsWhetherASignInIsSetUp) {
  const struct {
    Json details;
    std::string title, text;
  } cases[] = {
      {{{"username", "ana"}, {"display_name", "Ana"}, {"password_set", true}},
       "Ana",
       "Username: ana\n\nYour files are private to this account. You can sign in on other computers "
       "with your username and password."},
      {{{"username", 7}, {"display_name", 7}, {"password_set", "yes"}},
       "Your account",
       "Username: \n\nYour files are private to this account. Set a username and password to "
       "sign in on additional computers. Your current paired computers will stay connected."},
  };
  for (const auto& c : cases) {
    const AccountView view = accountView(c.details);
    EXPECT_EQ(view.title, c.title);
    EXPECT_EQ(view.text, c.text);
  }
}

}  // namespace
}  // namespace quorvane
