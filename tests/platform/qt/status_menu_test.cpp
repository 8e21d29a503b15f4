// The status item as a tray icon with the front end's own menu (XEmbed trays; a
// click on the real icon is in e2e/run.sh).
#include <gtest/gtest.h>

#include <QMenu>
#include <QRegularExpression>
#include <QTextDocument>

#include "platform/qt/tray_status_item.h"
#include "qt_test_support.h"

namespace quorvane {
namespace {

using testing::processUntil;
using testing::statusMenu;

class StatusItemTest : public testing::QtUiTest {
 protected:
  std::unique_ptr<StatusItem> status = ui.createStatusItem();
  TrayStatusItem& tray = dynamic_cast<TrayStatusItem&>(*status);

  QMenu* popUp() {
    tray.popUpMenu();
    EXPECT_TRUE(processUntil([&] { return tray.menu()->isVisible(); }));
    return tray.menu();
  }
  // The menu as a person reads it: Qt drops a lone '&' (a mnemonic mark) and shows
  // "&&" as '&'.
  static Menu shown(QMenu* menu) {
    Menu seen;
    for (QAction* a : menu->actions()) {
      QString text = a->text();
      text.replace(QRegularExpression("&(.)"), "\\1");
      seen.push_back(a->isSeparator() ? MenuItem::separator()
                                      : testing::item(text.toStdString(), std::nullopt,
                                                      a->isEnabled(), a->isChecked()));
    }
    return seen;
  }
  static QAction* find(QMenu* menu, const QString& title) {
    for (QAction* a : menu->actions()) {
      if (a->text() == title) return a;
    }
    return nullptr;
  }
};

TEST_F(StatusItemTest, ShowsTheModelLiterallyAndActsOnAChoiceOnceItsEventHasReturned) {
  Menu model = statusMenu("Syncing “Photos & Notes”\tnow");
  status->setMenu(model);
  QMenu* menu = popUp();
  EXPECT_FALSE(gate.isOpen());
  model[0].title = "Syncing “Photos & Notes” now";  // a tab cannot reach the menu
  EXPECT_EQ(shown(menu), testing::withoutActions(model));

  find(menu, "About Quorvane")->trigger();
  EXPECT_TRUE(delegate.actions.empty()) << "a command may open a dialog: not from the menu";
  menu->hide();
  ASSERT_TRUE(processUntil([&] { return !delegate.actions.empty(); }));
  EXPECT_EQ(delegate.actions, std::vector{MenuAction::about});
  EXPECT_TRUE(gate.isOpen());
}

TEST_F(StatusItemTest, RebuildWhileOpenKeepsTheOpenMenuAndShowsTheNewestNextTime) {
  status->setMenu(statusMenu("Quorvane"));
  QMenu* first = popUp();
  status->setMenu(statusMenu("Working…"));
  status->setMenu(statusMenu("Synced"));
  EXPECT_EQ(tray.menu(), first);
  EXPECT_EQ(first->actions().front()->text(), "Quorvane");
  find(first, "Quit Quorvane")->trigger();  // a choice in the old menu still counts
  first->hide();
  QApplication::processEvents();
  EXPECT_EQ(tray.menu()->actions().front()->text(), "Synced");
  EXPECT_EQ(tray.trayIcon()->contextMenu(), tray.menu());
  EXPECT_TRUE(processUntil([&] { return !delegate.actions.empty(); }));
  EXPECT_EQ(delegate.actions, std::vector{MenuAction::quit});

  // The tick's rebuild of an unchanged model keeps the menu; a change replaces it.
  QMenu* second = tray.menu();
  status->setMenu(statusMenu("Synced"));
  EXPECT_EQ(tray.menu(), second);
  status->setMenu(statusMenu("Paused"));
  EXPECT_EQ(popUp()->actions().front()->text(), "Paused");
}

// Tooltips are shown as plain text: "<b>" reads as "<b>".
TEST_F(StatusItemTest, TooltipIsLiteralAndFallsBackToTheAccessibilityText) {
  ASSERT_NE(tray.trayIcon(), nullptr);
  const QSystemTrayIcon& icon = *tray.trayIcon();
  auto shownToolTip = [&icon] {
    QTextDocument shown;
    Qt::mightBeRichText(icon.toolTip()) ? shown.setHtml(icon.toolTip())
                                        : shown.setPlainText(icon.toolTip());
    return shown.toPlainText().toStdString();
  };
  status->setImage("checkmark.icloud", "<b>Synced</b> & done");
  EXPECT_EQ(shownToolTip(), "<b>Synced</b> & done");
  EXPECT_FALSE(icon.icon().isNull());
  status->setToolTip("<i>All</i> files &amp; folders synced");
  EXPECT_EQ(shownToolTip(), "<i>All</i> files &amp; folders synced");
  // Symbol names come from the core; none of them reaches outside the icons.
  for (const char* unknown : {"no.such.symbol", "../quorvane"}) {
    status->setImage(unknown, "Odd");
    EXPECT_TRUE(icon.icon().isNull()) << unknown;
  }
}

}  // namespace
}  // namespace quorvane
