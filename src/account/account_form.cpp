#include "account/account_form.h"

#include "common/text.h"

namespace quorvane {
namespace {

constexpr double kWidth = 420;
constexpr double kBand = 58;
constexpr double kFieldHeight = 28;
constexpr double kLabelHeight = 20;
constexpr double kLabelGap = 3;
constexpr std::size_t kMinimumPasswordBytes = 12;

struct RowLook {
  const char* label;
  AlertField::Kind kind;
  const char* placeholder;
};

constexpr RowLook kRows[] = {
    {"Username", AlertField::Kind::text, "Username"},
    {"Name", AlertField::Kind::text, "Display name"},
    {"Current password", AlertField::Kind::secureText, ""},
    {"Password", AlertField::Kind::secureText, ""},
    {"Confirm password", AlertField::Kind::secureText, ""},
};

}  // namespace

std::optional<Refusal> passwordRefusal(std::string_view password, std::string_view confirmation) {
  if (!canonicallyEquivalent(password, confirmation)) {
    return Refusal{"Passwords differ", "Enter the same password in both fields."};
  }
  if (password.size() < kMinimumPasswordBytes) {
    return Refusal{"Use a longer password", "Use at least 12 characters."};
  }
  return std::nullopt;
}

AccountForm::AccountForm(const std::string& title, const std::string& explanation,
                         const std::string& username, AskCurrentPassword askCurrentPassword,
                         AskDisplayName askDisplayName)
    : alert_{title, explanation, {"Continue", "Cancel"}, AlertAccessory{}} {
  initial_[Row::username] = username;
  std::array<bool, rowCount> shown{};
  shown.fill(true);
  shown[Row::displayName] = askDisplayName == AskDisplayName::yes;
  shown[Row::currentPassword] = askCurrentPassword == AskCurrentPassword::yes;

  std::size_t rows = 0;
  for (bool s : shown) rows += s ? 1 : 0;
  AlertAccessory& accessory = *alert_.accessory;
  accessory.width = kWidth;
  accessory.height = static_cast<double>(rows) * kBand;

  std::size_t position = 0;  // counted from the top
  for (int row = 0; row < rowCount; ++row) {
    if (!shown[row]) continue;
    const double bottom = static_cast<double>(rows - 1 - position++) * kBand;
    const RowLook& look = kRows[row];
    AlertField label;
    label.kind = AlertField::Kind::label;
    label.frame = {0, bottom + kFieldHeight + kLabelGap, kWidth, kLabelHeight};
    label.text = look.label;
    AlertField field;
    field.kind = look.kind;
    field.frame = {0, bottom, kWidth, kFieldHeight};
    field.text = initial_[row];
    field.placeholder = look.placeholder;
    accessory.fields.push_back(std::move(label));
    field_[row] = accessory.fields.size();
    accessory.fields.push_back(std::move(field));
  }
  accessory.firstFocus = field_[Row::username];
}

std::string AccountForm::text(const AlertResult& result, Row row) const {
  const std::optional<std::size_t>& index = field_[row];
  if (!index || *index >= result.fields.size()) return initial_[row];
  return result.fields[*index].text;
}

AccountForm::Answer AccountForm::read(const AlertResult& result) const {
  return {{text(result, Row::username), text(result, Row::displayName),
           text(result, Row::currentPassword), text(result, Row::password)},
          text(result, Row::confirmation)};
}

std::optional<AccountRequest> accountForm(Dialogs& dialogs, const std::string& title,
                                          const std::string& explanation,
                                          const std::string& username,
                                          AskCurrentPassword askCurrentPassword,
                                          AskDisplayName askDisplayName) {
  // A new form, with all of its fields, on every call: nothing typed survives it.
  const AccountForm form(title, explanation, username, askCurrentPassword, askDisplayName);
  dialogs.activate();
  const AlertResult result = dialogs.run(form.alert());
  if (result.response != kAlertFirstButtonReturn) return std::nullopt;
  AccountForm::Answer answer = form.read(result);
  if (std::optional<Refusal> refusal =
          passwordRefusal(answer.request.password, answer.confirmation)) {
    dialogs.alert(refusal->title, refusal->text);
    return std::nullopt;
  }
  return std::move(answer.request);
}

}  // namespace quorvane
