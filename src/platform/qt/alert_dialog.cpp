#include "platform/qt/alert_dialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "platform/qt/plain_text_view.h"
#include "platform/qt/pop_up_button.h"
#include "platform/qt/symbol_icons.h"

namespace quorvane {
namespace {

constexpr int kMinimumTextWidth = 360;
constexpr int kTallestText = 360;  // longer texts (engine output) scroll
// Room left around the dialog on its screen for the window's title bar and borders.
constexpr int kWindowFrameWidth = 16;
constexpr int kWindowFrameHeight = 48;

// Points as whole pixels, kept to a sane range so a bad frame cannot upset Qt.
int points(double value) {
  if (!(value > 0)) return 0;
  return static_cast<int>(std::lround(std::min(value, 10000.0)));
}

QLabel* plainLabel(const std::string& text, QWidget* parent) {
  auto* label = new QLabel(QString::fromStdString(text), parent);
  // Never rich text: engine output can hold anything.
  label->setTextFormat(Qt::PlainText);
  return label;
}

QString buttonText(const std::string& title) {
  QString text = QString::fromStdString(title);
  return text.replace('&', "&&");
}

// The screen a dialog without a parent opens on: the one under the pointer.
QScreen* screenForNewDialog() {
  if (QScreen* screen = QGuiApplication::screenAt(QCursor::pos())) return screen;
  return QGuiApplication::primaryScreen();
}

}  // namespace

AlertDialog::AlertDialog(const Alert& alert) {
  setWindowTitle(QStringLiteral("Quorvane"));
  setWindowIcon(applicationIcon());
  setModal(true);
  setWindowModality(Qt::ApplicationModal);

  auto* body = new QWidget;
  auto* column = new QVBoxLayout;
  column->setSpacing(10);

  message_ = new PlainTextView(QString::fromStdString(alert.messageText), body);
  QFont bold = message_->font();
  bold.setBold(true);
  message_->setFont(bold);
  message_->setObjectName(QStringLiteral("messageText"));
  column->addWidget(message_);

  if (!alert.informativeText.empty()) {
    informative_ = new PlainTextView(QString::fromStdString(alert.informativeText), body);
    informative_->setObjectName(QStringLiteral("informativeText"));
    column->addWidget(informative_);
  }
  const double accessoryWidth = alert.accessory ? alert.accessory->width : 0;
  textWidth_ = std::max(kMinimumTextWidth, points(accessoryWidth));
  if (alert.accessory) column->addWidget(buildAccessory(*alert.accessory));
  column->addStretch(1);

  auto* icon = new QLabel(body);
  icon->setPixmap(applicationIcon().pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop);
  auto* row = new QHBoxLayout(body);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(16);
  row->addWidget(icon, 0, Qt::AlignTop);
  row->addLayout(column);

  // The body scrolls when the screen is too small for it; the buttons never do.
  scroll_ = new QScrollArea(this);
  scroll_->setObjectName(QStringLiteral("body"));
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setWidget(body);

  auto* buttonRow = new QHBoxLayout;
  buttonRow->addStretch(1);
  std::vector<std::string> titles = alert.buttons;
  if (titles.empty()) titles.push_back("OK");
  for (std::size_t i = 0; i < titles.size(); ++i) {
    auto* button = new QPushButton(buttonText(titles[i]), this);
    connect(button, &QPushButton::clicked, this, [this, i] { press(i); });
    button->setAutoDefault(i == 0);
    button->setDefault(i == 0);
    buttonRow->addWidget(button);
    buttons_.push_back(button);
    if (!cancel_ && titles[i] == "Cancel") cancel_ = i;
  }

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 20, 20, 16);
  layout->setSpacing(18);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addWidget(scroll_);
  layout->addLayout(buttonRow);

  fitTo(screenForNewDialog());

  QWidget* focus = buttons_.front();
  if (alert.accessory && alert.accessory->firstFocus &&
      *alert.accessory->firstFocus < fields_.size()) {
    QWidget* field = fields_[*alert.accessory->firstFocus];
    if (field->focusPolicy() != Qt::NoFocus) focus = field;
  }
  focus->setFocus(Qt::OtherFocusReason);
}

void AlertDialog::fitTo(QScreen* screen) {
  fittedTo_ = screen;
  const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 14, 1 << 14);
  const QMargins margins = layout()->contentsMargins();
  int buttonsHeight = 0;
  for (QPushButton* button : buttons_) {
    buttonsHeight = std::max(buttonsHeight, button->sizeHint().height());
  }
  const int widest = available.width() - kWindowFrameWidth - margins.left() - margins.right();
  const int tallest = available.height() - kWindowFrameHeight - margins.top() - margins.bottom() -
                      layout()->spacing() - buttonsHeight;

  // Texts wrap to the dialog's width, or to the screen's when that is narrower,
  // and each scrolls on its own past a height the screen can show.
  const int textWidth = std::max(80, std::min(textWidth_, widest - 64));
  const int textLimit = std::max(40, std::min(kTallestText, tallest));
  message_->fitWidth(textWidth, textLimit);
  if (informative_) informative_->fitWidth(textWidth, textLimit);

  // The texts' new sizes reach the layouts of a dialog not yet shown only when asked.
  QWidget* body = scroll_->widget();
  for (QLayout* layout : body->findChildren<QLayout*>()) layout->invalidate();
  const QSize natural = body->sizeHint();
  body->resize(natural);
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll_);
  bool across = natural.width() > widest;
  const bool down = natural.height() + (across ? bar : 0) > tallest;
  across = natural.width() + (down ? bar : 0) > widest;
  scroll_->setHorizontalScrollBarPolicy(across ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  scroll_->setVerticalScrollBarPolicy(down ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  scroll_->setFixedSize(std::max(1, std::min(natural.width() + (down ? bar : 0), widest)),
                        std::max(1, std::min(natural.height() + (across ? bar : 0), tallest)));
}

QWidget* AlertDialog::buildAccessory(const AlertAccessory& accessory) {
  auto* view = new QWidget(this);
  view->setObjectName(QStringLiteral("accessory"));
  const int height = points(accessory.height);
  view->setFixedSize(points(accessory.width), height);
  for (const AlertField& field : accessory.fields) {
    QWidget* widget = buildField(field, view);
    // Frames have their origin at the bottom left; Qt's is at the top left.
    const Frame& f = field.frame;
    const int h = points(f.height);
    widget->setGeometry(points(f.x), height - points(f.y) - h, points(f.width), h);
    fields_.push_back(widget);
  }
  return view;
}

QWidget* AlertDialog::buildField(const AlertField& field, QWidget* parent) {
  switch (field.kind) {
    case AlertField::Kind::label:
      return plainLabel(field.text, parent);
    case AlertField::Kind::text:
    case AlertField::Kind::secureText: {
      auto* edit = new QLineEdit(QString::fromStdString(field.text), parent);
      edit->setPlaceholderText(QString::fromStdString(field.placeholder));
      if (field.kind == AlertField::Kind::secureText) edit->setEchoMode(QLineEdit::Password);
      return edit;
    }
    case AlertField::Kind::popUp:
      return createPopUpButton(field.items, field.selected, parent);
  }
  return plainLabel({}, parent);
}

AlertResult AlertDialog::answer() const {
  AlertResult result;
  // Ended without a press (the application is quitting): "Cancel" where there is
  // one, else no button at all, so no flow takes it for its first button.
  const std::optional<std::size_t> index = pressed_ ? pressed_ : cancel_;
  result.response =
      index ? kAlertFirstButtonReturn + static_cast<int>(*index) : kModalResponseAbort;
  for (QWidget* widget : fields_) {
    AlertFieldResult field;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      field.text = label->text().toStdString();
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      field.text = edit->text().toStdString();
    } else if (auto* popUp = qobject_cast<QComboBox*>(widget)) {
      field.selected = popUp->currentIndex();
      field.text = popUp->currentText().toStdString();
    }
    result.fields.push_back(std::move(field));
  }
  return result;
}

void AlertDialog::press(std::size_t index) {
  pressed_ = index;
  done(QDialog::Accepted);
}

void AlertDialog::reject() {
  if (cancel_) press(*cancel_);
}

void AlertDialog::closeEvent(QCloseEvent* event) {
  if (cancel_) {
    press(*cancel_);
  } else if (buttons_.size() == 1) {
    press(0);
  } else {
    event->ignore();
    return;
  }
  event->accept();
}

void AlertDialog::showEvent(QShowEvent* event) {
  // Opened elsewhere than expected (another screen under the pointer by now).
  if (screen() && screen() != fittedTo_) fitTo(screen());
  QDialog::showEvent(event);
  // The application has no other window to come from; bring this one forward.
  raise();
  activateWindow();
}

}  // namespace quorvane
