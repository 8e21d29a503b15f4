// The status item as a tray icon with the front end's own menu (XEmbed trays; a
// click on the real icon is in e2e/run.sh).
#include <gtest/gtest.h>

#include <QMenu>
#include <QMouseEvent>
#include <QTextDocument>

#include "platform/qt/tray_status_item.h"
#include "qt_test_support.h"

namespace quorvane {
namespace {

using testing::processUntil;
using testing::statusMenu;

// What a person reads: Qt drops a lone '&' (a mnemonic mark) and shows "&&" as '&'.
std::string shown(QString text) {
  QString out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out.toStdString();
}

// The tooltip as a person reads it: Qt shows text that looks like markup as rich text.
std::string shownToolTip(const QSystemTrayIcon& tray) {
  QTextDocument shown;
  if (Qt::mightBeRichText(tray.toolTip())) {
    shown.setHtml(tray.toolTip());
  } else {
    shown.setPlainText(tray.toolTip());
  }
  return shown.toPlainText().toStdString();
}

class StatusItemTest : public testing::QtUiTest {
 protected:
  std::unique_ptr<StatusItem> status = ui.createStatusItem();
  TrayStatusItem& tray = dynamic_cast<TrayStatusItem&>(*status);

  QMenu* popUp() {
    tray.popUpMenu();
    EXPECT_TRUE(processUntil([&] { return tray.menu()->isVisible(); }));
    return tray.menu();
  }
  static QAction* find(QMenu* menu, const QString& title) {
    for (QAction* a : menu->actions()) {
      if (a->text() == title) return a;
    }
    return nullptr;
  }
};

TEST_F(StatusItemTest, ShowsTheModelLiterallyAndActsOnAChoiceAfterTheMenuHasClosed) {
  Menu model = statusMenu("Syncing “Photos & Notes”\tnow");
  status->setMenu(model);
  QMenu* menu = popUp();
  EXPECT_FALSE(gate.isOpen());
  Menu seen;
  for (QAction* a : menu->actions()) {
    seen.push_back(a->isSeparator() ? MenuItem::separator()
                                    : testing::item(shown(a->text()), std::nullopt, a->isEnabled(),
                                                    a->isChecked()));
  }
  model[0].title = "Syncing “Photos & Notes” now";  // a tab cannot reach the menu
  EXPECT_EQ(seen, testing::withoutActions(model));

  std::vector<bool> menuOpenAtAction;
  delegate.onAction = [&] { menuOpenAtAction.push_back(menu->isVisible()); };
  QAction* about = find(menu, "About Quorvane");
  ASSERT_NE(about, nullptr);
  const QPoint at = menu->actionGeometry(about).center();
  auto mouse = [&](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, at, menu->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(menu, &event);
  };
  // A menu ignores a release before the mouse has moved.
  for (int i = 0; i < 8; ++i) mouse(QEvent::MouseMove, Qt::NoButton, Qt::NoButton);
  mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
  mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
  EXPECT_TRUE(delegate.actions.empty());
  ASSERT_TRUE(processUntil([&] { return !delegate.actions.empty(); }));
  EXPECT_EQ(delegate.actions, std::vector{MenuAction::about});
  EXPECT_EQ(menuOpenAtAction, std::vector{false});
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

  QMenu* second = popUp();
  EXPECT_EQ(second->actions().front()->text(), "Synced");
  second->hide();
  QApplication::processEvents();
  // The tick's rebuild of an unchanged model keeps the menu; a change replaces it.
  status->setMenu(statusMenu("Synced"));
  EXPECT_EQ(tray.menu(), second);
  status->setMenu(statusMenu("Paused"));
  EXPECT_NE(tray.menu(), second);
  EXPECT_EQ(tray.menu()->actions().front()->text(), "Paused");
}

TEST_F(StatusItemTest, TooltipIsLiteralAndFallsBackToTheAccessibilityText) {
  ASSERT_NE(tray.trayIcon(), nullptr);
  EXPECT_EQ(tray.statusNotifier(), nullptr);
  const QSystemTrayIcon& icon = *tray.trayIcon();
  status->setImage("arrow.triangle.2.circlepath", "Quorvane");
  EXPECT_EQ(shownToolTip(icon), "Quorvane");
  EXPECT_FALSE(icon.icon().isNull());
  status->setImage("checkmark.icloud", "<b>Synced</b> & done");
  EXPECT_EQ(shownToolTip(icon), "<b>Synced</b> & done");
  status->setToolTip("<i>All</i> files &amp; folders synced");
  EXPECT_EQ(shownToolTip(icon), "<i>All</i> files &amp; folders synced");
  // Symbol names come from the core; none of them reaches outside the icons.
  for (const char* unknown : {"no.such.symbol", "../quorvane"}) {
    status->setImage(unknown, "Odd");
    EXPECT_TRUE(icon.icon().isNull()) << unknown;
  }
}

}  // namespace
}  // namespace quorvane
