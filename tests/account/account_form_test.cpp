#include "account/account_form.h"

#include <gtest/gtest.h>

#include "account/account_details.h"

namespace quorvane {
namespace {

using Kind = AlertField::Kind;

// Each field as its kind ('L'abel, 't'ext, 's'ecure) and its text or placeholder.
std::string fieldsOf(const Alert& alert) {
  std::string fields;
  for (const AlertField& f : alert.accessory->fields) {
    fields += f.kind == Kind::label ? "L" + f.text : f.kind == Kind::text ? "t" : "s";
    fields += (f.kind == Kind::label ? "" : f.text + f.placeholder) + "|";
  }
  return fields;
}

TEST(AccountForm, ShowsTheAskedRowsTopDownWithTheUsernameFocused) {
  const struct {
    AskCurrentPassword current;
    AskDisplayName name;
    std::string fields;
  } cases[] = {
      {AskCurrentPassword::no, AskDisplayName::no,
       "LUsername|tanaUsername|LPassword|s|LConfirm password|s|"},
      {AskCurrentPassword::no, AskDisplayName::yes,
       "LUsername|tanaUsername|LName|tDisplay name|LPassword|s|LConfirm password|s|"},
      {AskCurrentPassword::yes, AskDisplayName::yes,
       "LUsername|tanaUsername|LName|tDisplay name|LCurrent password|s|LPassword|s|"
       "LConfirm password|s|"},
  };
  for (const auto& c : cases) {
    const Alert alert = AccountForm("Title", "Why", "ana", c.current, c.name).alert();
    EXPECT_EQ(alert.accessory->firstFocus, 1u);
    EXPECT_EQ(fieldsOf(alert), c.fields);
  }
}

TEST(PasswordRefusal, ChecksEqualityFirstThenUtf8Length) {
  const std::string differ = "Passwords differ", shorter = "Use a longer password", none;
  const struct {
    std::string password, confirmation;
    std::string refusal;
  } cases[] = {
      {"abcdefghijk", "abcdefghijk", shorter},         // 11 bytes
      {"abcdefghijkl", "abcdefghijkl", none},          // 12 bytes
      {"€€€€", "€€€€", none},                          // 4 characters, 12 bytes
      {"€€€", "€€€", shorter},                         // 9 bytes
      {"short", "shorter", differ},                    // not also "longer"
      {"abcdefghijkl", "abcdefghijkL", differ},        // letter case counts
      {"mot de passé!", "mot de passe\u0301!", none},  // composed vs decomposed
      {"abcdefghijk\xff", "abcdefghijk\xfe", differ},  // malformed UTF-8 never matches other bytes
  };
  for (const auto& c : cases) {
    const std::optional<Refusal> refusal = passwordRefusal(c.password, c.confirmation);
    EXPECT_EQ(refusal ? refusal->title : none, c.refusal) << c.password;
  }
}

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
