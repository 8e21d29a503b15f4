#include <gtest/gtest.h>

#include <QMenu>
#include <QMouseEvent>
#include <QTextDocument>

#include "platform/qt/modal_gate.h"
#include "platform/qt/qt_loop.h"
#include "platform/qt/qt_ui.h"
#include "platform/qt/status_menu.h"
#include "platform/qt/symbol_icons.h"
#include "platform/qt/tray_status_item.h"
#include "qt_test_support.h"

namespace quorvane {
namespace {

using testing::processUntil;

MenuItem item(std::string title, std::optional<MenuAction> action, bool enabled = true,
              bool checked = false) {
  return MenuItem{MenuItem::Kind::item, std::move(title), action, enabled, checked};
}

Menu statusMenu(const std::string& line) {
  return {item(line, std::nullopt, false),
          MenuItem::separator(),
          item("Open Shared Folder", MenuAction::openFolder, false),
          item("Version History…", MenuAction::showHistory, false),
          MenuItem::separator(),
          item("Start at Login", MenuAction::toggleLogin, true, true),
          item("Set Up This Mac…", MenuAction::setupAction),
          item("About Quorvane", MenuAction::about),
          MenuItem::separator(),
          item("Quit Quorvane", MenuAction::quit)};
}

// What a person reads: Qt drops a lone '&' (a mnemonic mark) and shows "&&" as '&'.
std::string shown(QString text) {
  QString out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out.toStdString();
}

// The menu as the model it came from.
Menu readBack(QMenu& menu, std::vector<std::optional<MenuAction>> actions) {
  Menu result;
  const auto qactions = menu.actions();
  for (qsizetype i = 0; i < qactions.size(); ++i) {
    QAction* a = qactions[i];
    if (a->isSeparator()) {
      result.push_back(MenuItem::separator());
      continue;
    }
    result.push_back(item(shown(a->text()), actions[i], a->isEnabled(), a->isChecked()));
  }
  return result;
}

TEST(StatusMenu, ShowsTheModelAndReportsTheChosenAction) {
  Menu model = statusMenu("Syncing “Photos & Notes”\tnow");
  std::vector<MenuAction> chosen;
  auto menu = buildStatusMenu(model, [&](MenuAction a) { chosen.push_back(a); });

  std::vector<std::optional<MenuAction>> actions;
  for (QAction* a : menu->actions()) {
    const std::size_t before = chosen.size();
    const bool enabled = a->isEnabled();
    a->setEnabled(true);  // a disabled action ignores trigger()
    if (!a->isSeparator()) a->trigger();
    a->setEnabled(enabled);
    actions.push_back(chosen.size() > before ? std::optional(chosen.back()) : std::nullopt);
    if (!a->isSeparator()) a->setChecked(!a->isChecked());  // undo trigger()'s toggle
  }
  model[0].title = "Syncing “Photos & Notes” now";  // a tab cannot reach the menu
  EXPECT_EQ(readBack(*menu, actions), model);
  EXPECT_TRUE(menu->actions()[5]->isCheckable());
}

TEST(StatusMenu, UnknownSymbolGivesNoImage) {
  EXPECT_FALSE(symbolIcon("checkmark.icloud").isNull());
  EXPECT_FALSE(symbolIcon("exclamationmark.triangle").pixmap(44, 44).isNull());
  EXPECT_TRUE(symbolIcon("no.such.symbol").isNull());
  EXPECT_TRUE(symbolIcon("../quorvane").isNull());
}

class Recorder : public ApplicationDelegate {
 public:
  std::vector<MenuAction> actions;
  std::vector<bool> menuOpenAtAction;
  QMenu** menu = nullptr;
  void applicationDidFinishLaunching() override {}
  TerminateReply applicationShouldTerminate() override { return TerminateReply::now; }
  void applicationOpen(const std::vector<std::filesystem::path>&) override {}
  void performMenuAction(MenuAction action) override {
    actions.push_back(action);
    menuOpenAtAction.push_back(*menu && (*menu)->isVisible());
  }
};

class StatusItemTest : public ::testing::Test {
 protected:
  ModalGate gate;
  QtLoop loop{gate};
  // No session bus: the XEmbed tray, whatever the machine running the tests has.
  QtUi ui{gate, loop, QDBusConnection(QStringLiteral("no bus"))};
  Recorder delegate;
  QMenu* open = nullptr;
  std::unique_ptr<StatusItem> status = ui.createStatusItem();
  TrayStatusItem& tray = dynamic_cast<TrayStatusItem&>(*status);

  void SetUp() override {
    ui.setDelegate(&delegate);
    delegate.menu = &open;
  }
  QMenu* popUp() {
    tray.popUpMenu();
    open = tray.menu();
    EXPECT_TRUE(processUntil([&] { return open->isVisible(); }));
    return open;
  }
  static QAction* find(QMenu* menu, const QString& title) {
    for (QAction* a : menu->actions()) {
      if (a->text() == title) return a;
    }
    return nullptr;
  }
};

TEST_F(StatusItemTest, ChoosingAnItemActsAfterTheMenuHasClosed) {
  status->setMenu(statusMenu("Quorvane"));
  QMenu* menu = popUp();
  EXPECT_FALSE(gate.isOpen());
  QAction* about = find(menu, "About Quorvane");
  ASSERT_NE(about, nullptr);
  const QPoint at = menu->actionGeometry(about).center();
  QMouseEvent press(QEvent::MouseButtonPress, at, menu->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, menu->mapToGlobal(at), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  for (int i = 0; i < 8; ++i) {  // a menu ignores a release before the mouse has moved
    QMouseEvent move(QEvent::MouseMove, at, menu->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(menu, &move);
  }
  QApplication::sendEvent(menu, &press);
  QApplication::sendEvent(menu, &release);
  EXPECT_TRUE(delegate.actions.empty());
  ASSERT_TRUE(processUntil([&] { return !delegate.actions.empty(); }));
  EXPECT_EQ(delegate.actions, std::vector{MenuAction::about});
  EXPECT_EQ(delegate.menuOpenAtAction, std::vector{false});
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
  ASSERT_NE(tray.menu(), nullptr);
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
  status->setImage("unknown.symbol", "Odd");
  EXPECT_TRUE(icon.icon().isNull());
}

}  // namespace
}  // namespace quorvane
