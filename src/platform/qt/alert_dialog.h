#pragma once

#include <QDialog>
#include <optional>
#include <vector>

#include "platform/dialogs.h"

class QPushButton;
class QScreen;
class QScrollArea;

namespace quorvane {

class PlainTextView;

// An alert as a Qt dialog (not a native one, so it behaves alike everywhere): bold
// message, wrapped informative text, the accessory fields at their frames, and the
// buttons in the order given, the first one the default. Texts are shown whole and
// literally (see PlainTextView). The dialog fits the screen it opens on: what does
// not fit scrolls, and the buttons always stay in view.
//
// Esc presses the button titled "Cancel" when there is one and does nothing
// otherwise. Closing the window through the window manager does the same, except
// that an alert with a single button takes the close as that button (an "OK").
class AlertDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AlertDialog(const Alert& alert);

  // What the person did; valid once the dialog has finished. When it ended
  // without a button (the application quitting), the answer is "Cancel" if there
  // is one, else the first button.
  AlertResult answer() const;

  const std::vector<QPushButton*>& buttons() const { return buttons_; }
  const std::vector<QWidget*>& fields() const { return fields_; }

 public slots:
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void press(std::size_t index);
  QWidget* buildAccessory(const AlertAccessory& accessory);
  QWidget* buildField(const AlertField& field, QWidget* parent);
  void fitTo(QScreen* screen);

  PlainTextView* message_ = nullptr;
  PlainTextView* informative_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  QScreen* fittedTo_ = nullptr;
  int textWidth_ = 0;
  std::vector<QPushButton*> buttons_;
  std::vector<QWidget*> fields_;
  std::optional<std::size_t> cancel_;
  std::optional<std::size_t> pressed_;
};

}  // namespace quorvane
