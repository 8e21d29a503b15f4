// Runs twice: on the offscreen platform's default screen, and as "scale2." on a
// 1280x800 screen at QT_SCALE_FACTOR=2 (640x400 points), where the long dialogs
// do not fit whole.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include "account/account_form.h"
#include "history/version_list.h"
#include "platform/qt/alert_dialog.h"

namespace quorvane {
namespace {

// Whether the whole of the scroll area's widget can be brought into view.
bool reachable(QScrollArea* area, Qt::Orientation direction) {
  const bool across = direction == Qt::Horizontal;
  const int content = across ? area->widget()->width() : area->widget()->height();
  const int visible = across ? area->viewport()->width() : area->viewport()->height();
  const QScrollBar* bar = across ? area->horizontalScrollBar() : area->verticalScrollBar();
  const Qt::ScrollBarPolicy policy =
      across ? area->horizontalScrollBarPolicy() : area->verticalScrollBarPolicy();
  if (content <= visible) return true;
  return policy != Qt::ScrollBarAlwaysOff && bar->maximum() >= content - visible;
}

std::vector<VersionEntry> versions(int count) {
  std::vector<VersionEntry> list;
  for (int i = 0; i < count; ++i) {
    list.push_back({static_cast<std::uint64_t>(i),
                    "Documents/report-" + std::to_string(i) + ".txt — 15.01.27, 09:00 — Desk"});
  }
  return list;
}

TEST(DialogFit, EveryDialogFitsItsScreenWithItsButtonsInView) {
  std::string engineError;
  for (int i = 0; i < 200; ++i) engineError += "line " + std::to_string(i) + " of the error\n";
  const Alert alerts[] = {
      {"Version restored", "Restored a.txt", {}, std::nullopt},
      {"Could not load history", engineError, {}, std::nullopt},
      {"Could not sign in", "fingerprint " + std::string(5000, 'f'), {}, std::nullopt},
      {std::string(400, 'T'), "a title from the engine", {"Change Password…", "Done"}, {}},
      AccountForm("Set up your account", "Use at least 12 characters.", "owner",
                  AskCurrentPassword::yes, AskDisplayName::yes)
          .alert(),
      restoreDialog(versions(3)),
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

// A plain combo box measures every item each time it opens; this one must not
// need to, and still offer and report every item.
TEST(DialogFit, APopUpOfAHundredThousandVersionsOpensAsAShortList) {
  Alert alert = restoreDialog(versions(100'000));
  alert.accessory->fields[0].selected = 7;
  AlertDialog dialog(alert);
  dialog.show();
  auto* popUp = qobject_cast<QComboBox*>(dialog.fields().at(0));
  ASSERT_NE(popUp, nullptr);
  EXPECT_EQ(popUp->count(), 100'000);
  EXPECT_EQ(popUp->currentIndex(), 7);
  EXPECT_TRUE(qobject_cast<QListView*>(popUp->view())->uniformItemSizes());

  popUp->showPopup();
  QApplication::processEvents();
  QWidget* list = popUp->view()->window();
  EXPECT_TRUE(list->isVisible());
  EXPECT_LE(list->height(), (popUp->maxVisibleItems() + 2) * popUp->view()->sizeHintForRow(0));
  popUp->hidePopup();

  popUp->setCurrentIndex(99'999);
  const AlertResult result = dialog.answer();
  EXPECT_EQ(result.fields.at(0).selected, 99'999);
  EXPECT_EQ(result.fields.at(0).text, alert.accessory->fields[0].items.back());
}

}  // namespace
}  // namespace quorvane
