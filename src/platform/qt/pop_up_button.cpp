#include "platform/qt/pop_up_button.h"

#include <QComboBox>
#include <QListView>
#include <QProxyStyle>
#include <QStringListModel>

namespace quorvane {
namespace {

// The widget style, except that combo boxes open as a list, not as a menu.
class ListPopUpStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* answer) const override {
    if (hint == QStyle::SH_ComboBox_Popup) return 0;
    return QProxyStyle::styleHint(hint, option, widget, answer);
  }
};

}  // namespace

QComboBox* createPopUpButton(const std::vector<std::string>& items, int selected, QWidget* parent) {
  auto* popUp = new QComboBox(parent);
  auto* style = new ListPopUpStyle;
  style->setParent(popUp);
  popUp->setStyle(style);
  auto* list = new QListView(popUp);
  list->setUniformItemSizes(true);
  popUp->setView(list);
  // Sized by its frame, never by measuring the items.
  popUp->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

  QStringList titles;
  titles.reserve(static_cast<qsizetype>(items.size()));
  for (const std::string& item : items) titles.push_back(QString::fromStdString(item));
  popUp->setModel(new QStringListModel(titles, popUp));
  const bool inRange = selected >= 0 && selected < popUp->count();
  if (popUp->count() > 0) popUp->setCurrentIndex(inRange ? selected : 0);
  return popUp;
}

}  // namespace quorvane
