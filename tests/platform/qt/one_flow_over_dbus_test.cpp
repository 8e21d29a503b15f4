// A click in a menu that a D-Bus host draws arrives while a dialog is up, and from
// the layout the host fetched before the dialog: the application starts nothing.
#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QPushButton>
#include <QTimer>
#include <map>

#include "app/app_delegate.h"
#include "platform/qt/alert_dialog.h"
#include "platform/qt/dbus_tray_types.h"
#include "private_session_bus.h"
#include "support/fake_system.h"
#include "support/scripted_engine.h"
#include "support/temp_dir.h"

namespace quorvane {
namespace {

using testing::callAndWait;

const QString kMenu = "com.canonical.dbusmenu";

// The one item the watcher knows, as a host finds it.
QString itemService(const QDBusConnection& host) {
  const QString watcher = "org.kde.StatusNotifierWatcher";
  const QStringList items = testing::property(host, watcher, "/StatusNotifierWatcher", watcher,
                                              "RegisteredStatusNotifierItems")
                                .toStringList();
  return items.size() == 1 ? items.front().section('/', 0, 0) : QString();
}

// The ids of the entries the host shows, by label.
std::map<std::string, int> layoutIds(const QDBusConnection& host, const QString& service) {
  const QDBusMessage reply =
      callAndWait(host, service, "/MenuBar", kMenu, "GetLayout", {0, -1, QStringList()});
  std::map<std::string, int> ids;
  if (reply.arguments().size() != 2) return ids;
  dbus_tray::MenuLayout layout;
  qvariant_cast<QDBusArgument>(reply.arguments()[1]) >> layout;
  for (const auto& entry : layout.children) {
    ids[entry.properties.value("label").toString().toStdString()] = entry.id;
  }
  return ids;
}

TEST(OneFlowOverDBus, AClickFromTheLayoutBeforeAnAlertStartsNothingWhileItIsUp) {
  testing::PrivateSessionBus bus;
  ASSERT_TRUE(bus.running && bus.registerHost())
      << "needs dbus-daemon and Debian's status-notifier-watcher";
  testing::TempDir dir;
  testing::FakeSystem system;
  system.supportDirectory = dir / "data";
  system.bundle = dir / "Quorvane.app";
  std::filesystem::create_directories(dir / "Sync");
  testing::writeFile(dir / "data" / "Quorvane" / "client.json",
                     Json{{"folder", (dir / "Sync").string()}}.dump());
  ModalGate gate;
  QtLoop loop(gate);
  QtUi ui(gate, loop, bus.connect());
  auto owned = std::make_unique<testing::ScriptedEngine>(loop);
  testing::ScriptedEngine& engine = *owned;
  std::shared_ptr<AppDelegate> app = AppDelegate::create({loop, ui, system}, std::move(owned));
  ui.setDelegate(app.get());
  app->applicationDidFinishLaunching();

  const QDBusConnection host = bus.connect();
  const QString service = itemService(host);
  ASSERT_FALSE(service.isEmpty());
  // The host shows this layout, with every command enabled, until it fetches again.
  const std::map<std::string, int> ids = layoutIds(host, service);
  auto click = [&](const std::string& label) {
    ASSERT_TRUE(ids.count(label)) << label;
    callAndWait(host, service, "/MenuBar", kMenu, "Event",
                {ids.at(label), "clicked", QVariant::fromValue(QDBusVariant(0)), 0u});
  };

  bool answered = false;
  testing::whenModal([&](QWidget* modal) {
    auto* alert = qobject_cast<AlertDialog*>(modal);
    ASSERT_NE(alert, nullptr);
    // A dialog opened over the alert fails the test, and is closed so that it ends.
    QTimer intruders;
    intruders.callOnTimeout([modal] {
      QWidget* top = QApplication::activeModalWidget();
      if (!top || top == modal) return;
      ADD_FAILURE() << "a dialog over the alert: " << top->windowTitle().toStdString();
      top->close();
    });
    intruders.start(10);
    for (const char* label :
         {"Export Server Connection…", "Account…", "Sign In Again…", "About Quorvane"}) {
      click(label);
    }
    // Menu choices come through the main queue: once this has run, they have.
    bool through = false;
    loop.post([&] { through = true; });
    EXPECT_TRUE(testing::processUntil([&] { return through; }));
    EXPECT_EQ(QApplication::activeModalWidget(), modal) << "no dialog over the alert";
    EXPECT_TRUE(engine.runs.empty());
    EXPECT_TRUE(app->busy());
    EXPECT_EQ(app->worker(), nullptr);
    for (QPushButton* button : alert->buttons()) {
      if (button->text() == "Cancel") button->click();
    }
    answered = true;
  });
  click("Sign In Again…");
  ASSERT_TRUE(testing::processUntil([&] { return answered && !app->busy(); }));
  EXPECT_TRUE(engine.runs.empty());
  EXPECT_NE(app->worker(), nullptr) << "syncing again";

  ui.setDelegate(nullptr);
  loop.discardPending();
  app.reset();
}

}  // namespace
}  // namespace quorvane
