#include "account/account_form.h"

#include <gtest/gtest.h>

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

TEST(AccountForm, ShowsTheAskedRowsTopDownInBandsOf58Points) {
  const struct {
    AskCurrentPassword current;
    AskDisplayName name;
    double height;
    std::string fields;
  } cases[] = {
      {AskCurrentPassword::no, AskDisplayName::no, 174,
       "LUsername|tanaUsername|LPassword|s|LConfirm password|s|"},
      {AskCurrentPassword::no, AskDisplayName::yes, 232,
       "LUsername|tanaUsername|LName|tDisplay name|LPassword|s|LConfirm password|s|"},
      {AskCurrentPassword::yes, AskDisplayName::yes, 290,
       "LUsername|tanaUsername|LName|tDisplay name|LCurrent password|s|LPassword|s|"
       "LConfirm password|s|"},
  };
  for (const auto& c : cases) {
    const Alert alert = AccountForm("Title", "Why", "ana", c.current, c.name).alert();
    EXPECT_EQ(alert.buttons, (std::vector<std::string>{"Continue", "Cancel"}));
    EXPECT_EQ(alert.accessory->width, 420);
    EXPECT_EQ(alert.accessory->height, c.height);
    EXPECT_EQ(alert.accessory->firstFocus, 1u);
    EXPECT_EQ(fieldsOf(alert), c.fields);
  }
  // Fields 28 high at the bottom of their band, labels 20 high 3 points above.
  const Alert five =
      AccountForm("T", "E", "", AskCurrentPassword::yes, AskDisplayName::yes).alert();
  std::vector<Frame> frames;
  for (const AlertField& f : five.accessory->fields) frames.push_back(f.frame);
  EXPECT_EQ(frames, (std::vector<Frame>{{0, 263, 420, 20},
                                        {0, 232, 420, 28},
                                        {0, 205, 420, 20},
                                        {0, 174, 420, 28},
                                        {0, 147, 420, 20},
                                        {0, 116, 420, 28},
                                        {0, 89, 420, 20},
                                        {0, 58, 420, 28},
                                        {0, 31, 420, 20},
                                        {0, 0, 420, 28}}));
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

}  // namespace
}  // namespace quorvane
