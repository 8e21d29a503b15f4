// The status item as a StatusNotifierItem, read back over a private session bus
// the way a panel's tray reads it; a real host drawing its menu, labels and states
// as exported, is in e2e/sni_tray.sh.
#include <gtest/gtest.h>

#include <QMenu>

#include "platform/qt/status_notifier_item.h"
#include "platform/qt/tray_status_item.h"
#include "private_session_bus.h"

namespace quorvane {
namespace {

using testing::statusMenu;

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
    ASSERT_TRUE(bus.running && bus.registerHost())
        << "needs dbus-daemon and Debian's status-notifier-watcher";
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
    testing::callAndWait(host, service(), "/MenuBar", "com.canonical.dbusmenu", "Event",
                         {id, event, QVariant::fromValue(QDBusVariant(0)), 0u});
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
  ASSERT_TRUE(testing::processUntil([&] { return recorder.revisions.size() == 1; }));
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
  ASSERT_TRUE(testing::processUntil([&] { return recorder.revisions.size() == 2; }));
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
// the tick as long as it is open (qt_loop_test).
TEST_F(StatusNotifierTest, ActivateOpensTheFrontEndsOwnMenu) {
  tray->setMenu(statusMenu("Synced"));
  testing::callAndWait(host, service(), "/StatusNotifierItem", "org.kde.StatusNotifierItem",
                       "Activate", {40, 10});
  ASSERT_TRUE(testing::processUntil([&] { return tray->menu() && tray->menu()->isVisible(); }));
  EXPECT_EQ(tray->menu()->actions().front()->text(), "Synced");
  EXPECT_FALSE(gate.isOpen());
  tray->menu()->hide();
}

}  // namespace
}  // namespace quorvane

#include "status_notifier_test.moc"
