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

}  // namespace
}  // namespace quorvane
