// Alerts as a person meets them. How long and odd texts are shown is in
// plain_text_view_test.cpp, how dialogs fit small screens in dialog_fit_test.cpp; the
// folder panel, typed into, in e2e/run.sh.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "account/account_form.h"
#include "history/version_list.h"
#include "platform/qt/alert_dialog.h"
#include "platform/qt/plain_text_view.h"
#include "qt_test_support.h"

namespace quorvane {
namespace {

using AlertDialogTest = testing::QtUiTest;

void key(QWidget* dialog, int code, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
  QApplication::sendEvent(dialog->focusWidget() ? dialog->focusWidget() : dialog, &press);
}

TEST_F(AlertDialogTest, AnAlertShowsWhatItIsGivenAndReportsWhatThePersonDid) {
  const Alert form = AccountForm("Set up your account", "Use <b>your</b> name.", "",
                                 AskCurrentPassword::no, AskDisplayName::no)
                         .alert();
  Alert versions = restoreDialog(
      {{1, "a.txt — 10:00 — Desk"}, {2, "a.txt — 10:00 — Desk"}, {3, "b.txt — 09:00 — Desk"}});
  versions.buttons = {"Restore Version", "Keep"};
  versions.accessory->fields[0].selected = 2;
  const std::vector<AlertFieldResult> untouched = {{"Username"},         {""}, {"Password"}, {""},
                                                   {"Confirm password"}, {""}};
  const struct {
    const char* name;
    Alert alert;
    std::function<void(AlertDialog&)> person;
    int response;
    std::vector<AlertFieldResult> fields;
  } cases[] = {
      {"typing starts in the first-focus field; Enter presses the first button",
       form,
       [](AlertDialog& d) {
         // Frames count from the bottom left of the accessory; engine text is no markup.
         EXPECT_EQ(d.fields()[0]->geometry(), QRect(0, 7, 420, 20));
         EXPECT_EQ(d.fields()[3]->geometry(), QRect(0, 88, 420, 28));
         EXPECT_EQ(static_cast<QLineEdit*>(d.fields()[3])->echoMode(), QLineEdit::Password);
         EXPECT_EQ(d.findChild<PlainTextView*>("informativeText")->document()->toPlainText(),
                   "Use <b>your</b> name.");
         for (QChar c : QString("alice")) key(&d, 0, c);
         static_cast<QLineEdit*>(d.fields()[3])->setText("correct horse");
         key(&d, Qt::Key_Return);
       },
       1000,
       {{"Username"}, {"alice"}, {"Password"}, {"correct horse"}, {"Confirm password"}, {""}}},
      {"Esc presses Cancel", form, [](AlertDialog& d) { key(&d, Qt::Key_Escape); }, 1001,
       untouched},
      {"closing the window is Cancel", form, [](AlertDialog& d) { d.close(); }, 1001, untouched},
      {"duplicate pop-up titles stay separate; without Cancel, Esc or a close does nothing",
       versions,
       [](AlertDialog& d) {
         auto* list = static_cast<QComboBox*>(d.fields()[0]);
         EXPECT_EQ(list->currentIndex(), 2);
         key(&d, Qt::Key_Escape);
         d.close();
         EXPECT_TRUE(d.isVisible());
         list->setCurrentIndex(1);
         d.buttons()[1]->click();
       },
       1001,
       {{"a.txt — 10:00 — Desk", 1}}},
      {"no buttons gives one OK, which a window close also presses",
       Alert{"Quorvane 0.2", "Log: /tmp/x & y", {}, std::nullopt},
       [](AlertDialog& d) {
         ASSERT_EQ(d.buttons().size(), 1u);
         EXPECT_EQ(d.buttons().front()->text(), "OK");
         d.close();
       },
       1000,
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> buttons;
    testing::whenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<AlertDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      for (QPushButton* b : dialog->buttons()) buttons.push_back(b->text().toStdString());
      EXPECT_TRUE(dialog->buttons().front()->isDefault());
      const auto& accessory = c.alert.accessory;
      EXPECT_EQ(dialog->focusWidget(), accessory && accessory->firstFocus
                                           ? dialog->fields()[*accessory->firstFocus]
                                           : dialog->buttons().front());
      EXPECT_FALSE(gate.isOpen());
      c.person(*dialog);
    });
    const AlertResult result = ui.runAlert(c.alert);
    if (!c.alert.buttons.empty()) {
      EXPECT_EQ(buttons, c.alert.buttons);
    }
    EXPECT_TRUE(gate.isOpen());
    EXPECT_EQ(result.response, c.response);
    EXPECT_EQ(result.fields, c.fields);
  }
}

}  // namespace
}  // namespace quorvane
