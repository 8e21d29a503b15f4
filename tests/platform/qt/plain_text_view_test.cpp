#include "platform/qt/plain_text_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMimeData>
#include <QTextBlock>
#include <QTextLayout>
#include <memory>

namespace quorvane {
namespace {

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
