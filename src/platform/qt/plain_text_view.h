#pragma once

#include <QPlainTextEdit>
#include <QString>

class QMimeData;

namespace quorvane {

// Text shown literally and whole, as a selectable read-only view that looks like a
// label: never markup, wrapped at spaces where it can and anywhere inside a word
// too long for a line (a fingerprint, a path), and copied exactly as given.
//
// Engine output can be megabytes on one line. The view keeps such a line as many
// short blocks, so that only what is on screen is ever laid out; the blocks remember
// where they start in the text, so a copy gives back the original characters.
class PlainTextView : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit PlainTextView(const QString& text, QWidget* parent = nullptr);

  const QString& text() const { return text_; }

  // Makes the view `width` wide and as tall as the text needs, but no taller than
  // `limit`; beyond it the text scrolls. Lays out only as much text as that takes.
  void fitWidth(int width, int limit);

 protected:
  QMimeData* createMimeDataFromSelection() const override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void fillDocument();
  int textHeight(int width, int limit) const;
  qsizetype textOffset(int documentPosition) const;

  QString text_;
};

}  // namespace quorvane
