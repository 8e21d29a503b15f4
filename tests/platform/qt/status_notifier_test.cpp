// The status item as a StatusNotifierItem, read back over a private session bus
// the way a panel's tray reads it.
#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusVariant>
#include <QMenu>

#include "platform/qt/dbus_tray_types.h"
#include "platform/qt/default_mode_timer.h"
#include "platform/qt/modal_gate.h"
#include "platform/qt/status_notifier_item.h"
#include "platform/qt/tray_status_item.h"
#include "private_session_bus.h"
#include "qt_test_support.h"

namespace quorvane {
namespace {

using dbus_tray::MenuLayout;
using testing::callAndWait;
using testing::PrivateSessionBus;
using testing::processUntil;

const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");

}  // namespace

// Readable failures: the entry as a host would show it.
void PrintTo(const MenuItem& item, std::ostream* out) {
  if (item.kind == MenuItem::Kind::separator) {
    *out << "----";
    return;
  }
  *out << '"' << item.title << '"' << (item.enabled ? "" : " disabled")
       << (item.checked ? " checked" : "");
}

namespace {

MenuItem item(std::string title, std::optional<MenuAction> action, bool enabled = true,
              bool checked = false) {
  return MenuItem{MenuItem::Kind::item, std::move(title), action, enabled, checked};
}

Menu statusMenu(const std::string& line, bool busy = false) {
  return {item(line, std::nullopt, false),
          MenuItem::separator(),
          item("Pause Syncing", MenuAction::togglePause, !busy),
          item("Export_Server & Co…", MenuAction::exportServer, !busy),
          MenuItem::separator(),
          item("Start at Login", MenuAction::toggleLogin, true, true),
          item("Set Up This Mac…", MenuAction::setupAction, false),
          item("About Quorvane", MenuAction::about),
          MenuItem::separator(),
          item("Quit Quorvane", MenuAction::quit)};
}

// What a dbusmenu host shows for a label: "__" is one underscore, a lone '_'
// marks the next character as mnemonic and is not shown.
std::string shown(const QString& label) {
  QString out;
  for (qsizetype i = 0; i < label.size(); ++i) {
    if (label[i] == '_' && i + 1 < label.size()) ++i;
    out += label[i];
  }
  return out.toStdString();
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
  PrivateSessionBus bus;
  QDBusConnection host = bus.connect();
  ModalGate gate;
  std::vector<MenuAction> chosen;

  void SetUp() override { ASSERT_TRUE(bus.running()) << bus.error().toStdString(); }

  std::unique_ptr<TrayStatusItem> makeItem(std::optional<QDBusConnection> on = std::nullopt) {
    return std::make_unique<TrayStatusItem>(
        gate, [this](MenuAction action) { chosen.push_back(action); }, on.value_or(bus.connect()));
  }

  QDBusMessage call(const TrayStatusItem& tray, const QString& path, const QString& interface,
                    const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(tray.statusNotifier()->serviceName(),
                                                          path, interface, method);
    message.setArguments(arguments);
    return callAndWait(host, message);
  }

  QVariant property(const TrayStatusItem& tray, const QString& name) {
    QDBusMessage reply =
        call(tray, QStringLiteral("/StatusNotifierItem"),
             QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
             {QStringLiteral("org.kde.StatusNotifierItem"), name});
    return reply.arguments().isEmpty()
               ? QVariant()
               : qvariant_cast<QDBusVariant>(reply.arguments().front()).variant();
  }

  // The menu as a host fetches it, turned back into the model it shows.
  Menu hostMenu(const TrayStatusItem& tray, std::vector<int>* ids = nullptr) {
    const QDBusMessage reply = call(tray, QStringLiteral("/MenuBar"), kMenuInterface,
                                    QStringLiteral("GetLayout"), {0, -1, QStringList()});
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    if (reply.arguments().size() != 2) return {};
    MenuLayout root;
    qvariant_cast<QDBusArgument>(reply.arguments()[1]) >> root;
    Menu menu;
    for (const MenuLayout& entry : root.children) {
      if (ids) ids->push_back(entry.id);
      const QVariantMap& p = entry.properties;
      if (p.value(QStringLiteral("type")) == QStringLiteral("separator")) {
        menu.push_back(MenuItem::separator());
        continue;
      }
      const bool toggle = p.value(QStringLiteral("toggle-type")) == QStringLiteral("checkmark");
      EXPECT_EQ(toggle, p.contains(QStringLiteral("toggle-state")));
      menu.push_back(item(shown(p.value(QStringLiteral("label")).toString()), std::nullopt,
                          p.value(QStringLiteral("enabled"), true).toBool(),
                          toggle && p.value(QStringLiteral("toggle-state")).toInt() == 1));
    }
    return menu;
  }

  void sendEvent(const TrayStatusItem& tray, int id, const QString& event) {
    call(tray, QStringLiteral("/MenuBar"), kMenuInterface, QStringLiteral("Event"),
         {id, event, QVariant::fromValue(QDBusVariant(0)), 0u});
  }
};

// The model without its actions, as the host sees it.
Menu withoutActions(Menu menu) {
  for (MenuItem& entry : menu) entry.action.reset();
  return menu;
}

TEST_F(StatusNotifierTest, HostReadsTheIconTooltipAndMenuAsTheCoreGaveThem) {
  ASSERT_TRUE(bus.registerHost());
  auto tray = makeItem();
  ASSERT_NE(tray->statusNotifier(), nullptr);
  EXPECT_EQ(tray->trayIcon(), nullptr);
  const Menu model = statusMenu("Uploading my_report_v2.txt & notes & more");
  tray->setMenu(model);
  tray->setImage("checkmark.icloud", "<b>Synced</b> & done");

  EXPECT_EQ(hostMenu(*tray), withoutActions(model));
  EXPECT_EQ(property(*tray, QStringLiteral("ItemIsMenu")).toBool(), true);
  EXPECT_EQ(qvariant_cast<QDBusObjectPath>(property(*tray, QStringLiteral("Menu"))).path(),
            QStringLiteral("/MenuBar"));
  dbus_tray::ToolTip toolTip;
  qvariant_cast<QDBusArgument>(property(*tray, QStringLiteral("ToolTip"))) >> toolTip;
  EXPECT_EQ(toolTip.title, QStringLiteral("<b>Synced</b> & done"));
  tray->setToolTip("All files synced");
  qvariant_cast<QDBusArgument>(property(*tray, QStringLiteral("ToolTip"))) >> toolTip;
  EXPECT_EQ(toolTip.title, QStringLiteral("All files synced"));

  dbus_tray::IconPixmaps pixmaps;
  qvariant_cast<QDBusArgument>(property(*tray, QStringLiteral("IconPixmap"))) >> pixmaps;
  ASSERT_FALSE(pixmaps.isEmpty());
  for (const auto& pixmap : pixmaps) {
    EXPECT_EQ(pixmap.argb.size(), pixmap.width * pixmap.height * 4);
    EXPECT_GT(pixmap.argb.count('\0'), 0);                   // transparent corners
    EXPECT_LT(pixmap.argb.count('\0'), pixmap.argb.size());  // and a drawing
  }
  QDBusMessage registered = QDBusMessage::createMethodCall(
      QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  registered << QStringLiteral("org.kde.StatusNotifierWatcher")
             << QStringLiteral("RegisteredStatusNotifierItems");
  EXPECT_TRUE(processUntil([&] {
    const QDBusMessage reply = callAndWait(host, registered);
    return !reply.arguments().isEmpty() && qvariant_cast<QDBusVariant>(reply.arguments().front())
                                               .variant()
                                               .toStringList()
                                               .join(' ')
                                               .contains(tray->statusNotifier()->serviceName());
  }));
}

TEST_F(StatusNotifierTest, RebuildIsAnnouncedAndAClickCountsForTheMenuTheHostShows) {
  ASSERT_TRUE(bus.registerHost());
  auto tray = makeItem();
  SignalRecorder recorder;
  ASSERT_TRUE(host.connect(tray->statusNotifier()->serviceName(), QStringLiteral("/MenuBar"),
                           kMenuInterface, QStringLiteral("LayoutUpdated"), &recorder,
                           SLOT(layoutUpdated(uint, int))));
  tray->setMenu(statusMenu("Quorvane"));
  std::vector<int> ids;
  hostMenu(*tray, &ids);  // the host shows this one
  ASSERT_TRUE(processUntil([&] { return recorder.revisions.size() == 1; }));

  // Working: the host is told, fetches the new menu, and may not have yet when
  // the person clicks an entry of the one it shows.
  tray->setMenu(statusMenu("Working…", true));
  tray->setMenu(statusMenu("Working…", true));          // unchanged: no announcement
  sendEvent(*tray, ids[3], QStringLiteral("clicked"));  // "Export_Server & Co…"
  ASSERT_TRUE(processUntil([&] { return recorder.revisions.size() == 2; }));
  EXPECT_GT(recorder.revisions[1], recorder.revisions[0]);
  EXPECT_EQ(chosen, std::vector{MenuAction::exportServer});

  std::vector<int> newIds;
  EXPECT_EQ(hostMenu(*tray, &newIds), withoutActions(statusMenu("Working…", true)));
  EXPECT_EQ(newIds, ids);  // the same command keeps its id across rebuilds
  chosen.clear();
  sendEvent(*tray, ids[3], QStringLiteral("clicked"));  // disabled in what the host shows now
  sendEvent(*tray, ids[6], QStringLiteral("clicked"));  // "Set Up This Mac…", disabled
  sendEvent(*tray, ids[0], QStringLiteral("clicked"));  // the status line
  sendEvent(*tray, 4242, QStringLiteral("clicked"));
  sendEvent(*tray, ids[7], QStringLiteral("hovered"));
  sendEvent(*tray, ids[7], QStringLiteral("clicked"));  // "About Quorvane"
  EXPECT_EQ(chosen, std::vector{MenuAction::about});
}

TEST_F(StatusNotifierTest, AClickOpensTheMenuAndAHostThatNeverSaysClosedHoldsNoTick) {
  ASSERT_TRUE(bus.registerHost());
  auto tray = makeItem();
  tray->setMenu(statusMenu("Quorvane"));
  int ticks = 0;
  DefaultModeTimer timer(gate, Seconds(2), [&] { ++ticks; });

  // The host draws its own menu and says it opened, but never that it closed.
  call(*tray, QStringLiteral("/MenuBar"), kMenuInterface, QStringLiteral("AboutToShow"), {0});
  sendEvent(*tray, 0, QStringLiteral("opened"));
  timer.fire();
  EXPECT_EQ(ticks, 1);
  EXPECT_TRUE(gate.isOpen());
  tray->setMenu(statusMenu("Synced"));
  EXPECT_EQ(hostMenu(*tray).front().title, "Synced");

  // A host that passes the left click on: the front end's own menu opens there,
  // and holds the tick as long as it is open.
  call(*tray, QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.kde.StatusNotifierItem"),
       QStringLiteral("Activate"), {40, 10});
  ASSERT_TRUE(processUntil([&] { return tray->menu() && tray->menu()->isVisible(); }));
  EXPECT_EQ(tray->menu()->actions().front()->text(), QStringLiteral("Synced"));
  EXPECT_FALSE(gate.isOpen());
  timer.fire();
  EXPECT_EQ(ticks, 1);
  tray->menu()->hide();
  ASSERT_TRUE(processUntil([&] { return ticks == 2; }));  // the missed tick, once
  EXPECT_TRUE(gate.isOpen());
}

TEST_F(StatusNotifierTest, WithoutAHostTheTrayIconServesUntilOneAppears) {
  auto tray = makeItem();
  ASSERT_NE(tray->trayIcon(), nullptr);
  EXPECT_EQ(tray->statusNotifier(), nullptr);
  tray->setImage("arrow.triangle.2.circlepath", "Quorvane");
  tray->setMenu(statusMenu("Quorvane"));

  // A panel starting after the front end, as at login.
  ASSERT_TRUE(bus.registerHost());
  ASSERT_TRUE(processUntil([&] { return tray->statusNotifier() != nullptr; }));
  EXPECT_EQ(tray->trayIcon(), nullptr);
  EXPECT_EQ(hostMenu(*tray), withoutActions(statusMenu("Quorvane")));
  dbus_tray::IconPixmaps pixmaps;
  qvariant_cast<QDBusArgument>(property(*tray, QStringLiteral("IconPixmap"))) >> pixmaps;
  EXPECT_FALSE(pixmaps.isEmpty());
}

TEST_F(StatusNotifierTest, AnItemTheBusRefusesLeavesTheTrayIcon) {
  ASSERT_TRUE(bus.registerHost());
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
