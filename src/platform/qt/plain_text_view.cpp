#include "platform/qt/plain_text_view.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <vector>

namespace quorvane {
namespace {

// Longest block of one line: short enough to lay out in an instant, long enough
// that ordinary text never meets the limit.
constexpr qsizetype kLongestBlock = 1000;

// The characters a text document turns into a new block ("\r\n" counts once).
bool breaksBlock(QChar c) {
  return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar(0xfdd0) ||
         c == QChar(0xfdd1);
}

// Where a block that starts at `start` and may run to `end` should stop: at the
// limit, but after a space near it where there is one, and never inside a
// surrogate pair.
qsizetype blockEnd(const QString& text, qsizetype start, qsizetype end) {
  if (end - start <= kLongestBlock) return end;
  qsizetype cut = start + kLongestBlock;
  for (qsizetype i = cut; i > start + kLongestBlock / 2; --i) {
    if (text[i - 1].isSpace()) return i;
  }
  if (text[cut - 1].isHighSurrogate()) --cut;
  return cut;
}

}  // namespace

PlainTextView::PlainTextView(const QString& text, QWidget* parent)
    : QPlainTextEdit(parent), text_(text) {
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setFocusPolicy(Qt::ClickFocus);
  setTabChangesFocus(true);
  setFrameShape(QFrame::NoFrame);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setBackgroundVisible(false);
  QPalette look = palette();
  look.setColor(QPalette::Base, Qt::transparent);
  setPalette(look);
  viewport()->setAutoFillBackground(false);
  document()->setDocumentMargin(0);
  document()->setUndoRedoEnabled(false);

  fillDocument();
  moveCursor(QTextCursor::Start);
}

// One block per line, and a long line cut into blocks of at most kLongestBlock
// characters, so the layout never needs more at a time. Each block remembers
// where its first character is in the text, for copying.
void PlainTextView::fillDocument() {
  QTextCursor cursor(document());
  cursor.beginEditBlock();
  std::vector<qsizetype> starts;
  qsizetype start = 0;
  while (true) {
    qsizetype lineEnd = start;
    while (lineEnd < text_.size() && !breaksBlock(text_[lineEnd])) ++lineEnd;
    for (qsizetype from = start;;) {
      const qsizetype to = blockEnd(text_, from, lineEnd);
      if (!starts.empty()) cursor.insertBlock();
      cursor.insertText(text_.mid(from, to - from));
      starts.push_back(from);
      if (to == lineEnd) break;
      from = to;
    }
    if (lineEnd == text_.size()) break;
    const bool crlf =
        text_[lineEnd] == u'\r' && lineEnd + 1 < text_.size() && text_[lineEnd + 1] == u'\n';
    start = lineEnd + (crlf ? 2 : 1);
  }
  cursor.endEditBlock();
  std::size_t index = 0;
  for (QTextBlock block = document()->begin(); block.isValid() && index < starts.size();
       block = block.next()) {
    block.setUserState(static_cast<int>(starts[index++]));
  }
}

// The height the blocks need at `width`, counted as the view's own layout counts
// it, line by line; it stops once past `limit`.
int PlainTextView::textHeight(int width, int limit) const {
  QTextOption option = document()->defaultTextOption();
  option.setWrapMode(wordWrapMode());
  qreal height = 0;
  for (QTextBlock block = document()->begin(); block.isValid() && height <= limit;
       block = block.next()) {
    QTextLayout layout(block.text(), font());
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(width);
      height += line.height() + std::max<qreal>(0, line.leading());
    }
    layout.endLayout();
  }
  return static_cast<int>(std::ceil(height));
}

void PlainTextView::fitWidth(int width, int limit) {
  const int height = textHeight(width, limit);
  const bool scrolls = height > limit;
  // The view scrolls by whole lines and would offer a bar for a text that fits.
  setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  const int bar = scrolls ? verticalScrollBar()->sizeHint().width() : 0;
  const QMargins margins = contentsMargins();
  setFixedSize(width + bar + margins.left() + margins.right(),
               std::min(height, limit) + margins.top() + margins.bottom());
}

qsizetype PlainTextView::textOffset(int documentPosition) const {
  const QTextBlock block = document()->findBlock(documentPosition);
  if (!block.isValid()) return text_.size();
  return std::min<qsizetype>(block.userState() + (documentPosition - block.position()),
                             text_.size());
}

QMimeData* PlainTextView::createMimeDataFromSelection() const {
  const QTextCursor selection = textCursor();
  const qsizetype from = textOffset(selection.selectionStart());
  const qsizetype to = textOffset(selection.selectionEnd());
  auto* data = new QMimeData;
  data->setText(text_.mid(from, std::max<qsizetype>(0, to - from)));
  return data;
}

// The keys that answer the dialog are the dialog's, also while the text has focus.
void PlainTextView::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->ignore();
      return;
    default:
      QPlainTextEdit::keyPressEvent(event);
  }
}

}  // namespace quorvane
