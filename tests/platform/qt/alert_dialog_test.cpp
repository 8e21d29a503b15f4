// Alerts as a person meets them, their texts, and how they fit the screen. DialogFit
// runs twice: on the default screen, and as "scale2." on a 1280x800 screen at
// QT_SCALE_FACTOR=2 (640x400 points), where the long dialogs do not fit whole.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <memory>

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

// Whether the whole of the scroll area's widget can be brought into view.
bool reachable(QScrollArea* area, Qt::Orientation direction) {
  const bool across = direction == Qt::Horizontal;
  const int hidden = across ? area->widget()->width() - area->viewport()->width()
                            : area->widget()->height() - area->viewport()->height();
  const QScrollBar* bar = across ? area->horizontalScrollBar() : area->verticalScrollBar();
  const Qt::ScrollBarPolicy policy =
      across ? area->horizontalScrollBarPolicy() : area->verticalScrollBarPolicy();
  return hidden <= 0 || (policy != Qt::ScrollBarAlwaysOff && bar->maximum() >= hidden);
}

TEST(DialogFit, EveryDialogFitsItsScreenWithItsButtonsInView) {
  std::string engineError;
  for (int i = 0; i < 200; ++i) engineError += "line " + std::to_string(i) + " of the error\n";
  std::vector<VersionEntry> versions;
  for (std::uint64_t i = 0; i < 3; ++i) {
    versions.push_back({i, "Documents/report-" + std::to_string(i) + ".txt — 15.01.27 — Desk"});
  }
  const Alert alerts[] = {
      {"Version restored", "Restored a.txt", {}, std::nullopt},
      {"Could not load history", engineError, {}, std::nullopt},
      {"Could not sign in", "fingerprint " + std::string(5000, 'f'), {}, std::nullopt},
      {std::string(400, 'T'), "a title from the engine", {"Change Password…", "Done"}, {}},
      AccountForm("Set up your account", "Use at least 12 characters.", "owner",
                  AskCurrentPassword::yes, AskDisplayName::yes)
          .alert(),
      restoreDialog(versions),
  };
  for (const Alert& alert : alerts) {
    SCOPED_TRACE(alert.messageText.substr(0, 30));
    AlertDialog dialog(alert);
    dialog.show();
    QApplication::processEvents();
    const QRect screen = dialog.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(dialog.frameGeometry()))
        << dialog.width() << "x" << dialog.height() << " on " << screen.width() << "x"
        << screen.height();
    for (QPushButton* button : dialog.buttons()) {
      EXPECT_TRUE(dialog.rect().contains(QRect(button->mapTo(&dialog, QPoint()), button->size())));
    }
    auto* body = dialog.findChild<QScrollArea*>("body");
    ASSERT_NE(body, nullptr);
    EXPECT_TRUE(reachable(body, Qt::Vertical));
    EXPECT_TRUE(reachable(body, Qt::Horizontal));
  }
}

QString copied(PlainTextView& view, int from, int to) {
  QTextCursor cursor = view.textCursor();
  cursor.setPosition(from);
  cursor.setPosition(to, QTextCursor::KeepAnchor);
  view.setTextCursor(cursor);
  // The same call the view makes for Ctrl+C, a drag or the context menu's Copy.
  struct Copier : PlainTextView {
    using PlainTextView::createMimeDataFromSelection;
  };
  std::unique_ptr<QMimeData> data(static_cast<Copier&>(view).createMimeDataFromSelection());
  return data->text();
}

// What the person can read: the text of every line laid out, and whether each
// line fits the visible width.
struct Shown {
  QString text;
  bool allLinesFit = true;
};

Shown shown(PlainTextView& view) {
  Shown result;
  const int width = view.viewport()->width();
  for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next()) {
    const QTextLayout* layout = block.layout();
    for (int i = 0; i < layout->lineCount(); ++i) {
      const QTextLine line = layout->lineAt(i);
      result.text += block.text().mid(line.textStart(), line.textLength());
      if (line.naturalTextWidth() > width + 0.5) result.allLinesFit = false;
    }
  }
  return result;
}

TEST(PlainTextView, ShowsEveryCharacterWrappingAnywhereAWordIsTooLong) {
  const QString fingerprint(64, 'f');
  const QString texts[] = {
      "fingerprint " + fingerprint + fingerprint + " does not match",
      "<b>Synced</b> & <i>not</i> markup",
      QString(300, 'x'),
      "ünïcödé " + QString(40, QChar(0x4e2d)),
  };
  for (const QString& text : texts) {
    PlainTextView view(text);
    view.fitWidth(200, 400);
    view.show();
    QApplication::processEvents();
    const Shown seen = shown(view);
    EXPECT_EQ(seen.text, text);
    EXPECT_TRUE(seen.allLinesFit) << text.toStdString();
    EXPECT_EQ(view.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff) << "it fits 400 points";
  }
}

TEST(PlainTextView, CopiesTheOriginalCharactersAcrossLongLinesAndLineEnds) {
  QString text = "first\r\nsecond\rthird\n";
  for (int i = 0; i < 2600; ++i) text += QChar('a' + i % 26);  // one line, kept in blocks
  text += QString("\n") + QChar(0) + "nul\u2029end";
  PlainTextView view(text);
  EXPECT_EQ(view.document()->blockCount(), 8);  // 6 lines, the long one in three blocks
  EXPECT_EQ(copied(view, 0, view.document()->characterCount() - 1), text);

  const int longLine = view.document()->findBlockByNumber(3).position();
  const int secondBlock = view.document()->findBlockByNumber(4).position();
  EXPECT_EQ(copied(view, longLine + 990, secondBlock + 10),
            text.mid(text.indexOf("third\n") + 6 + 990, 20));
}

}  // namespace
}  // namespace quorvane
