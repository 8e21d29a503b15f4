#include "platform/qt/alert_dialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "platform/qt/symbol_icons.h"

namespace quorvane {
namespace {

constexpr int kMinimumTextWidth = 360;
constexpr int kTallestText = 360;  // longer texts (engine output) scroll

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

// A wrapped label of fixed width and the height its text needs.
QWidget* wrappedText(QLabel* label, int width) {
  label->setWordWrap(true);
  label->setFixedWidth(width);
  const int height = label->heightForWidth(width);
  if (height <= kTallestText) {
    label->setFixedHeight(height);
    return label;
  }
  label->setFixedHeight(height);
  auto* scroll = new QScrollArea;
  scroll->setWidget(label);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setFixedSize(width + scroll->verticalScrollBar()->sizeHint().width(), kTallestText);
  return scroll;
}

}  // namespace

AlertDialog::AlertDialog(const Alert& alert) {
  setWindowTitle(QStringLiteral("Quorvane"));
  setWindowIcon(applicationIcon());
  setModal(true);
  setWindowModality(Qt::ApplicationModal);

  const double accessoryWidth = alert.accessory ? alert.accessory->width : 0;
  const int textWidth = std::max(kMinimumTextWidth, points(accessoryWidth));

  auto* column = new QVBoxLayout;
  column->setSpacing(10);

  QLabel* message = plainLabel(alert.messageText, this);
  QFont bold = message->font();
  bold.setBold(true);
  message->setFont(bold);
  message->setObjectName(QStringLiteral("messageText"));
  column->addWidget(wrappedText(message, textWidth));

  if (!alert.informativeText.empty()) {
    QLabel* informative = plainLabel(alert.informativeText, this);
    informative->setObjectName(QStringLiteral("informativeText"));
    informative->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(wrappedText(informative, textWidth));
  }
  if (alert.accessory) column->addWidget(buildAccessory(*alert.accessory));

  auto* icon = new QLabel(this);
  icon->setPixmap(applicationIcon().pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop);
  auto* body = new QHBoxLayout;
  body->setSpacing(16);
  body->addWidget(icon, 0, Qt::AlignTop);
  body->addLayout(column);

  auto* row = new QHBoxLayout;
  row->addStretch(1);
  std::vector<std::string> titles = alert.buttons;
  if (titles.empty()) titles.push_back("OK");
  for (std::size_t i = 0; i < titles.size(); ++i) {
    auto* button = new QPushButton(buttonText(titles[i]), this);
    connect(button, &QPushButton::clicked, this, [this, i] { press(i); });
    button->setAutoDefault(i == 0);
    button->setDefault(i == 0);
    row->addWidget(button);
    buttons_.push_back(button);
    if (!cancel_ && titles[i] == "Cancel") cancel_ = i;
  }

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 20, 20, 16);
  layout->setSpacing(18);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addLayout(body);
  layout->addLayout(row);

  QWidget* focus = buttons_.front();
  if (alert.accessory && alert.accessory->firstFocus &&
      *alert.accessory->firstFocus < fields_.size()) {
    QWidget* field = fields_[*alert.accessory->firstFocus];
    if (field->focusPolicy() != Qt::NoFocus) focus = field;
  }
  focus->setFocus(Qt::OtherFocusReason);
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
    case AlertField::Kind::popUp: {
      auto* popUp = new QComboBox(parent);
      // One item per title, duplicates included: the index is what counts.
      for (const std::string& item : field.items) popUp->addItem(QString::fromStdString(item));
      const bool inRange = field.selected >= 0 && field.selected < popUp->count();
      if (popUp->count() > 0) popUp->setCurrentIndex(inRange ? field.selected : 0);
      return popUp;
    }
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
  QDialog::showEvent(event);
  // The application has no other window to come from; bring this one forward.
  raise();
  activateWindow();
}

}  // namespace quorvane
