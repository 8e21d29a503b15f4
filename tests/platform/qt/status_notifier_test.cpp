// The status item: as a tray icon with the front end's own menu (XEmbed trays),
// and as a StatusNotifierItem read back over a private session bus as a panel would.
#include <gtest/gtest.h>

#include <QMenu>
#include <QRegularExpression>
#include <QTextDocument>

#include "platform/qt/status_notifier_item.h"
#include "platform/qt/tray_status_item.h"
#include "private_session_bus.h"

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
  model[0].title = "Syncing “Photos & Notes” now";     // a tab cannot reach the menu
  for (MenuItem& entry : model) entry.action.reset();  // not what a person sees
  EXPECT_EQ(shown(menu), model);

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

class SignalRecorder : public QObject {
  Q_OBJECT
 public:
  std::vector<uint> revisions;
 public slots:
  void layoutUpdated(uint revision, int) { revisions.push_back(revision); }
};

class StatusNotifierTest : public ::testing::Test {
 protected:
  testing::PrivateSessionBus bus;
  QDBusConnection host = bus.connect();
  ModalGate gate;
  std::vector<MenuAction> chosen;
  std::unique_ptr<TrayStatusItem> tray;

  void SetUp() override {
    ASSERT_TRUE(bus.running) << "needs dbus-daemon and Debian's status-notifier-watcher";
    tray = std::make_unique<TrayStatusItem>(
        gate, [this](MenuAction action) { chosen.push_back(action); }, bus.connect());
    ASSERT_NE(tray->statusNotifier(), nullptr);
  }
  QString service() const { return tray->statusNotifier()->serviceName(); }
  QVariant itemProperty(const QString& name) {
    return testing::property(host, service(), "/StatusNotifierItem", "org.kde.StatusNotifierItem",
                             name);
  }
  void click(int id, const QString& event = "clicked") {
    testing::menuEvent(host, service(), id, event);
  }
  std::vector<int> ids() {
    std::vector<int> ids;
    for (const auto& [id, label] : testing::menuEntries(host, service())) ids.push_back(id);
    return ids;
  }
};

TEST_F(StatusNotifierTest, AnnouncesEachNewMenuAndAClickCountsForTheMenuTheHostShows) {
  SignalRecorder recorder;
  ASSERT_TRUE(host.connect(service(), "/MenuBar", "com.canonical.dbusmenu", "LayoutUpdated",
                           &recorder, SLOT(layoutUpdated(uint, int))));
  tray->setMenu(statusMenu("Quorvane"));
  const std::vector<int> shown = ids();  // what the host shows
  ASSERT_EQ(shown.size(), statusMenu("Quorvane").size());
  ASSERT_TRUE(processUntil([&] { return recorder.revisions.size() == 1; }));
  EXPECT_TRUE(itemProperty("ItemIsMenu").toBool());
  EXPECT_EQ(qvariant_cast<QDBusObjectPath>(itemProperty("Menu")).path(), "/MenuBar");
  tray->setImage("checkmark.icloud", "<b>Synced</b> & done");
  dbus_tray::ToolTip toolTip;
  qvariant_cast<QDBusArgument>(itemProperty("ToolTip")) >> toolTip;
  EXPECT_EQ(toolTip.title, "<b>Synced</b> & done");

  // Working: the host is told, and may not have fetched the new menu yet when the
  // person clicks an entry of the one it shows.
  tray->setMenu(statusMenu("Working…", true));
  tray->setMenu(statusMenu("Working…", true));  // unchanged: no announcement
  click(shown[3]);                              // "Export_Server & Co…"
  ASSERT_TRUE(processUntil([&] { return recorder.revisions.size() == 2; }));
  EXPECT_GT(recorder.revisions[1], recorder.revisions[0]);
  EXPECT_EQ(chosen, std::vector{MenuAction::exportServer});

  EXPECT_EQ(ids(), shown);  // the same command keeps its id across rebuilds
  chosen.clear();
  // Disabled in what the host shows now, "Set Up This Computer…" (disabled), the
  // status line, no entry at all, a hover: none is a choice.
  for (int id : {shown[3], shown[6], shown[0], 4242}) click(id);
  click(shown[7], "hovered");
  click(shown[7]);  // "About Quorvane"
  EXPECT_EQ(chosen, std::vector{MenuAction::about});
}

// A host that passes the left click on: the front end's own menu opens, and holds
// the tick as long as it is open.
TEST_F(StatusNotifierTest, ActivateOpensTheFrontEndsOwnMenu) {
  tray->setMenu(statusMenu("Synced"));
  testing::callAndWait(host, service(), "/StatusNotifierItem", "org.kde.StatusNotifierItem",
                       "Activate", {40, 10});
  ASSERT_TRUE(processUntil([&] { return tray->menu() && tray->menu()->isVisible(); }));
  EXPECT_EQ(tray->menu()->actions().front()->text(), "Synced");
  EXPECT_FALSE(gate.isOpen());
  tray->menu()->hide();
}

}  // namespace
}  // namespace quorvane

#include "status_notifier_test.moc"
