// The status item as a StatusNotifierItem, read back over a private session bus
// the way a panel's tray reads it; a real host drawing it is in e2e/sni_tray.sh.
#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QMenu>
#include <QRegularExpression>

#include "platform/qt/dbus_tray_types.h"
#include "platform/qt/status_notifier_item.h"
#include "platform/qt/tray_status_item.h"
#include "private_session_bus.h"

namespace quorvane {
namespace {

using testing::statusMenu;
using testing::withoutActions;

const QString kMenu = "com.canonical.dbusmenu";

template <typename T>
T demarshalled(const QVariant& value) {
  T result;
  qvariant_cast<QDBusArgument>(value) >> result;
  return result;
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

  void SetUp() override {
    ASSERT_TRUE(bus.running && bus.registerHost())
        << "needs dbus-daemon and Debian's status-notifier-watcher";
  }
  std::unique_ptr<TrayStatusItem> makeItem(std::optional<QDBusConnection> on = std::nullopt) {
    return std::make_unique<TrayStatusItem>(
        gate, [this](MenuAction action) { chosen.push_back(action); }, on.value_or(bus.connect()));
  }
  QDBusMessage call(const TrayStatusItem& tray, const QString& path, const QString& interface,
                    const QString& method, const QVariantList& arguments = {}) {
    return testing::callAndWait(host, tray.statusNotifier()->serviceName(), path, interface, method,
                                arguments);
  }
  QVariant itemProperty(const TrayStatusItem& tray, const QString& name) {
    return testing::property(host, tray.statusNotifier()->serviceName(), "/StatusNotifierItem",
                             "org.kde.StatusNotifierItem", name);
  }
  void click(const TrayStatusItem& tray, int id, const QString& event = "clicked") {
    call(tray, "/MenuBar", kMenu, "Event", {id, event, QVariant::fromValue(QDBusVariant(0)), 0u});
  }

  // The menu as a host fetches it, turned back into the model it shows: "__" is
  // one underscore, a lone '_' marks a mnemonic and is not shown.
  Menu hostMenu(const TrayStatusItem& tray, std::vector<int>* ids = nullptr) {
    const QDBusMessage reply = call(tray, "/MenuBar", kMenu, "GetLayout", {0, -1, QStringList()});
    if (reply.arguments().size() != 2) return {};
    Menu menu;
    for (const auto& entry : demarshalled<dbus_tray::MenuLayout>(reply.arguments()[1]).children) {
      if (ids) ids->push_back(entry.id);
      const QVariantMap& p = entry.properties;
      const bool toggle = p.value("toggle-type") == "checkmark";
      EXPECT_EQ(toggle, p.contains("toggle-state"));
      QString label = p.value("label").toString();
      label.replace(QRegularExpression("_(.)"), "\\1");
      menu.push_back(p.value("type") == "separator"
                         ? MenuItem::separator()
                         : testing::item(label.toStdString(), std::nullopt,
                                         p.value("enabled", true).toBool(),
                                         toggle && p.value("toggle-state").toInt() == 1));
    }
    return menu;
  }
};

TEST_F(StatusNotifierTest, ShowsTheCoresMenuAndAClickCountsForTheMenuTheHostShows) {
  auto tray = makeItem();
  SignalRecorder recorder;
  ASSERT_TRUE(host.connect(tray->statusNotifier()->serviceName(), "/MenuBar", kMenu,
                           "LayoutUpdated", &recorder, SLOT(layoutUpdated(uint, int))));
  const Menu model = statusMenu("Uploading my_report_v2.txt & notes & more");
  tray->setMenu(model);
  std::vector<int> ids;
  EXPECT_EQ(hostMenu(*tray, &ids), withoutActions(model));  // the host shows this one
  ASSERT_TRUE(testing::processUntil([&] { return recorder.revisions.size() == 1; }));
  EXPECT_TRUE(itemProperty(*tray, "ItemIsMenu").toBool());
  EXPECT_EQ(qvariant_cast<QDBusObjectPath>(itemProperty(*tray, "Menu")).path(), "/MenuBar");
  tray->setImage("checkmark.icloud", "<b>Synced</b> & done");
  EXPECT_EQ(demarshalled<dbus_tray::ToolTip>(itemProperty(*tray, "ToolTip")).title,
            "<b>Synced</b> & done");

  // Working: the host is told, and may not have fetched the new menu yet when the
  // person clicks an entry of the one it shows.
  tray->setMenu(statusMenu("Working…", true));
  tray->setMenu(statusMenu("Working…", true));  // unchanged: no announcement
  click(*tray, ids[3]);                         // "Export_Server & Co…"
  ASSERT_TRUE(testing::processUntil([&] { return recorder.revisions.size() == 2; }));
  EXPECT_GT(recorder.revisions[1], recorder.revisions[0]);
  EXPECT_EQ(chosen, std::vector{MenuAction::exportServer});

  std::vector<int> newIds;
  EXPECT_EQ(hostMenu(*tray, &newIds), withoutActions(statusMenu("Working…", true)));
  EXPECT_EQ(newIds, ids);  // the same command keeps its id across rebuilds
  chosen.clear();
  // Disabled in what the host shows now, "Set Up This Computer…" (disabled), the
  // status line, no entry at all, a hover: none is a choice.
  for (int id : {ids[3], ids[6], ids[0], 4242}) click(*tray, id);
  click(*tray, ids[7], "hovered");
  click(*tray, ids[7]);  // "About Quorvane"
  EXPECT_EQ(chosen, std::vector{MenuAction::about});
}

// A host that passes the left click on: the front end's own menu opens, and holds
// the tick as long as it is open (qt_loop_test).
TEST_F(StatusNotifierTest, ActivateOpensTheFrontEndsOwnMenu) {
  auto tray = makeItem();
  tray->setMenu(statusMenu("Synced"));
  call(*tray, "/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate", {40, 10});
  ASSERT_TRUE(testing::processUntil([&] { return tray->menu() && tray->menu()->isVisible(); }));
  EXPECT_EQ(tray->menu()->actions().front()->text(), "Synced");
  EXPECT_FALSE(gate.isOpen());
  tray->menu()->hide();
}

TEST_F(StatusNotifierTest, AnItemTheBusRefusesLeavesTheTrayIcon) {
  QDBusConnection shared = bus.connect();
  auto first = makeItem(shared);
  auto second = makeItem(shared);  // its objects' paths are taken
  ASSERT_NE(first->statusNotifier(), nullptr);
  EXPECT_EQ(second->statusNotifier(), nullptr);
  EXPECT_NE(second->trayIcon(), nullptr);
  first->setMenu(statusMenu("Quorvane"));
  EXPECT_EQ(hostMenu(*first), withoutActions(statusMenu("Quorvane")));  // left as it was
}

}  // namespace
}  // namespace quorvane

#include "status_notifier_test.moc"
