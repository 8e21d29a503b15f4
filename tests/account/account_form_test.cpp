#include "account/account_form.h"

#include <gtest/gtest.h>

#include "common/json_document.h"

namespace quorvane {
namespace {

using Kind = AlertField::Kind;

TEST(AccountForm, ShowsTheAskedRowsTopDownInBandsOf58Points) {
  const struct {
    AskCurrentPassword current;
    AskDisplayName name;
    std::vector<std::string> labels;
    double height;
  } cases[] = {
      {AskCurrentPassword::no,
       AskDisplayName::no,
       {"Username", "Password", "Confirm password"},
       174},
      {AskCurrentPassword::no,
       AskDisplayName::yes,
       {"Username", "Name", "Password", "Confirm password"},
       232},
      {AskCurrentPassword::yes,
       AskDisplayName::no,
       {"Username", "Current password", "Password", "Confirm password"},
       232},
      {AskCurrentPassword::yes,
       AskDisplayName::yes,
       {"Username", "Name", "Current password", "Password", "Confirm password"},
       290},
  };
  for (const auto& c : cases) {
    const Alert alert = AccountForm("Title", "Why", "ana", c.current, c.name).alert();
    SCOPED_TRACE(c.height);
    EXPECT_EQ(alert.buttons, (std::vector<std::string>{"Continue", "Cancel"}));
    ASSERT_TRUE(alert.accessory);
    EXPECT_EQ(alert.accessory->width, 420);
    EXPECT_EQ(alert.accessory->height, c.height);
    EXPECT_EQ(alert.accessory->firstFocus, 1u);
    std::vector<std::string> labels;
    for (const AlertField& f : alert.accessory->fields) {
      if (f.kind == Kind::label) labels.push_back(f.text);
    }
    EXPECT_EQ(labels, c.labels);
  }
}

TEST(AccountForm, PlacesEachLabelThreePointsAboveItsField) {
  const Alert alert =
      AccountForm("T", "E", "ana", AskCurrentPassword::yes, AskDisplayName::yes).alert();
  const struct {
    Kind kind;
    double y, height;
    std::string text, placeholder;
  } expected[] = {
      {Kind::label, 263, 20, "Username", ""},
      {Kind::text, 232, 28, "ana", "Username"},
      {Kind::label, 205, 20, "Name", ""},
      {Kind::text, 174, 28, "", "Display name"},
      {Kind::label, 147, 20, "Current password", ""},
      {Kind::secureText, 116, 28, "", ""},
      {Kind::label, 89, 20, "Password", ""},
      {Kind::secureText, 58, 28, "", ""},
      {Kind::label, 31, 20, "Confirm password", ""},
      {Kind::secureText, 0, 28, "", ""},
  };
  const auto& fields = alert.accessory->fields;
  ASSERT_EQ(fields.size(), std::size(expected));
  for (std::size_t i = 0; i < fields.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(fields[i].kind, expected[i].kind);
    EXPECT_EQ(fields[i].frame, (Frame{0, expected[i].y, 420, expected[i].height}));
    EXPECT_EQ(fields[i].text, expected[i].text);
    EXPECT_EQ(fields[i].placeholder, expected[i].placeholder);
  }
}

TEST(AccountForm, ReadsTheFieldsAsTypedAndHiddenRowsAsEmpty) {
  const AccountForm threeRows("T", "E", "owner", AskCurrentPassword::no, AskDisplayName::no);
  AlertResult typed{1000, {{"Username"}, {" Ana "}, {"Password"}, {"pw 1"}, {"C"}, {"pw 2"}}};
  AccountForm::Answer answer = threeRows.read(typed);
  EXPECT_EQ(answer.request, (AccountRequest{" Ana ", "", "", "pw 1"}));
  EXPECT_EQ(answer.confirmation, "pw 2");

  const AccountForm fiveRows("T", "E", "", AskCurrentPassword::yes, AskDisplayName::yes);
  typed.fields = {{}, {"u"}, {}, {"Name"}, {}, {"old"}, {}, {"new"}, {}, {"new"}};
  EXPECT_EQ(fiveRows.read(typed).request, (AccountRequest{"u", "Name", "old", "new"}));
}

TEST(PasswordRefusal, ChecksEqualityFirstThenUtf8Length) {
  const std::optional<Refusal> differ =
      Refusal{"Passwords differ", "Enter the same password in both fields."};
  const std::optional<Refusal> shorter =
      Refusal{"Use a longer password", "Use at least 12 characters."};
  const struct {
    std::string password, confirmation;
    std::optional<Refusal> refusal;
  } cases[] = {
      {"abcdefghijk", "abcdefghijk", shorter},                 // 11 bytes
      {"abcdefghijkl", "abcdefghijkl", std::nullopt},          // 12 bytes
      {"€€€€", "€€€€", std::nullopt},                          // 4 characters, 12 bytes
      {"€€€", "€€€", shorter},                                 // 9 bytes
      {"short", "shorter", differ},                            // not also "longer"
      {"abcdefghijkl", "abcdefghijkL", differ},                // letter case counts
      {"mot de passé!", "mot de passe\u0301!", std::nullopt},  // composed vs decomposed
      {"", "", shorter},
      {"abcdefghijk\xff", "abcdefghijk\xfe", differ},  // malformed UTF-8 never matches other bytes
  };
  for (const auto& c : cases) {
    EXPECT_EQ(passwordRefusal(c.password, c.confirmation), c.refusal) << c.password;
  }
}

TEST(AccountRequestJson, AlwaysCarriesTheFourMembersAsStrings) {
  const std::optional<Json> sent = parseJson(accountRequestJson({"ana", "", "", "p\"w\\\n"}));
  ASSERT_TRUE(sent);
  EXPECT_EQ(*sent, (Json{{"username", "ana"},
                         {"display_name", ""},
                         {"current_password", ""},
                         {"password", "p\"w\\\n"}}));
}

}  // namespace
}  // namespace quorvane
