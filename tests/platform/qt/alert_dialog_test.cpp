#include <gtest/gtest.h>

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/qt/alert_dialog.h"
#include "platform/qt/modal_gate.h"
#include "platform/qt/plain_text_view.h"
#include "platform/qt/qt_loop.h"
#include "platform/qt/qt_ui.h"
#include "qt_test_support.h"

namespace quorvane {
namespace {

using testing::whenModal;

void key(QWidget* dialog, int code, const QString& text = {}) {
  QWidget* target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
  QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
  QApplication::sendEvent(target, &press);
}

void type(QWidget* dialog, const QString& text) {
  for (QChar c : text) key(dialog, 0, QString(c));
}

AlertField field(AlertField::Kind kind, Frame frame, std::string text = {},
                 std::string placeholder = {}) {
  AlertField f;
  f.kind = kind;
  f.frame = frame;
  f.text = std::move(text);
  f.placeholder = std::move(placeholder);
  return f;
}

Alert credentials() {
  AlertAccessory accessory{420, 116, {}, 1};
  accessory.fields = {
      field(AlertField::Kind::label, {0, 89, 420, 20}, "Username"),
      field(AlertField::Kind::text, {0, 58, 420, 28}, "", "Username"),
      field(AlertField::Kind::label, {0, 31, 420, 20}, "Password"),
      field(AlertField::Kind::secureText, {0, 0, 420, 28}),
  };
  return {"Sign in to Quorvane",
          "Use the account <b>your</b> administrator created for you.",
          {"Sign In", "Cancel"},
          accessory};
}

Alert versions() {
  AlertField popUp;
  popUp.kind = AlertField::Kind::popUp;
  popUp.frame = {0, 0, 600, 28};
  popUp.items = {"a.txt — 10:00 — Desk", "a.txt — 10:00 — Desk", "b.txt — 09:00 — Desk"};
  AlertAccessory accessory{600, 28, {popUp}, std::nullopt};
  return {"Restore a file version", "Pick one.", {"Restore Version", "Keep"}, accessory};
}

struct Case {
  const char* name;
  Alert alert;
  std::function<void(AlertDialog&)> person;
  int response;
  std::vector<AlertFieldResult> fields;
  std::vector<QString> shownButtons;
};

TEST(AlertDialog, ShowsTheAlertAndReportsWhatThePersonDid) {
  bool stayedOpen = false;
  const std::vector<Case> cases = {
      {"typing starts in the first-focus field; Enter presses the first button",
       credentials(),
       [](AlertDialog& d) {
         type(&d, "alice");
         static_cast<QLineEdit*>(d.fields()[3])->setText("correct horse");
         key(&d, Qt::Key_Return);
       },
       1000,
       {{"Username", -1}, {"alice", -1}, {"Password", -1}, {"correct horse", -1}},
       {"Sign In", "Cancel"}},
      {"Esc presses Cancel",
       credentials(),
       [](AlertDialog& d) { key(&d, Qt::Key_Escape); },
       1001,
       {{"Username", -1}, {"", -1}, {"Password", -1}, {"", -1}},
       {"Sign In", "Cancel"}},
      {"closing the window is Cancel",
       credentials(),
       [](AlertDialog& d) { d.close(); },
       1001,
       {{"Username", -1}, {"", -1}, {"Password", -1}, {"", -1}},
       {"Sign In", "Cancel"}},
      {"duplicate pop-up titles stay separate; Esc without Cancel does nothing",
       versions(),
       [&stayedOpen](AlertDialog& d) {
         key(&d, Qt::Key_Escape);
         d.close();
         stayedOpen = d.isVisible();
         static_cast<QComboBox*>(d.fields()[0])->setCurrentIndex(1);
         d.buttons()[1]->click();
       },
       1001,
       {{"a.txt — 10:00 — Desk", 1}},
       {"Restore Version", "Keep"}},
      {"no buttons gives one OK, which a window close also presses",
       Alert{"Quorvane 0.2", "Log: /tmp/x & y", {}, std::nullopt},
       [](AlertDialog& d) { d.close(); },
       1000,
       {},
       {"OK"}},
  };

  ModalGate gate;
  QtLoop loop(gate);
  QtUi ui(gate, loop);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<QString> buttons;
    std::vector<int> buttonX;
    bool firstIsDefault = false;
    QWidget* focus = nullptr;
    QWidget* expectedFocus = nullptr;
    bool gateClosed = false;
    whenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<AlertDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      for (QPushButton* b : dialog->buttons()) {
        buttons.push_back(b->text());
        buttonX.push_back(b->mapTo(dialog, QPoint()).x());
      }
      firstIsDefault = dialog->buttons().front()->isDefault();
      focus = dialog->focusWidget();
      const auto& accessory = c.alert.accessory;
      expectedFocus = accessory && accessory->firstFocus ? dialog->fields()[*accessory->firstFocus]
                                                         : dialog->buttons().front();
      gateClosed = !gate.isOpen();
      c.person(*dialog);
    });
    AlertResult result = ui.runAlert(c.alert);

    EXPECT_EQ(buttons, c.shownButtons);
    EXPECT_TRUE(std::is_sorted(buttonX.begin(), buttonX.end()));
    EXPECT_TRUE(firstIsDefault);
    EXPECT_EQ(focus, expectedFocus);
    EXPECT_TRUE(gateClosed);
    EXPECT_TRUE(gate.isOpen());
    EXPECT_EQ(result.response, c.response);
    EXPECT_EQ(result.fields, c.fields);
  }
  EXPECT_TRUE(stayedOpen);
}

TEST(AlertDialog, PlacesFieldsAtTheirFramesFromTheBottomLeft) {
  AlertDialog dialog(credentials());
  const auto& fields = dialog.fields();
  ASSERT_EQ(fields.size(), 4u);
  EXPECT_EQ(fields[0]->geometry(), QRect(0, 7, 420, 20));
  EXPECT_EQ(fields[1]->geometry(), QRect(0, 30, 420, 28));
  EXPECT_EQ(fields[3]->geometry(), QRect(0, 88, 420, 28));
  EXPECT_EQ(qobject_cast<QLabel*>(fields[0])->text(), "Username");
  auto* user = qobject_cast<QLineEdit*>(fields[1]);
  auto* password = qobject_cast<QLineEdit*>(fields[3]);
  ASSERT_TRUE(user && password);
  EXPECT_EQ(user->placeholderText(), "Username");
  EXPECT_EQ(user->echoMode(), QLineEdit::Normal);
  EXPECT_EQ(password->echoMode(), QLineEdit::Password);

  // Engine output is shown as it is, never as markup.
  auto* text = dialog.findChild<PlainTextView*>("informativeText");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->document()->toPlainText().toStdString(), credentials().informativeText);

  AlertDialog list(versions());
  auto* popUp = qobject_cast<QComboBox*>(list.fields().at(0));
  ASSERT_NE(popUp, nullptr);
  EXPECT_EQ(popUp->count(), 3);
  EXPECT_EQ(popUp->currentIndex(), 0);
}

}  // namespace
}  // namespace quorvane
