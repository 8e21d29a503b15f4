// A click in a menu that a D-Bus host draws arrives while a dialog is up, and from
// the layout the host fetched before the dialog: the application starts nothing.
#include <gtest/gtest.h>

#include <QPushButton>
#include <map>

#include "app/app_delegate.h"
#include "platform/qt/alert_dialog.h"
#include "private_session_bus.h"
#include "support/fake_system.h"
#include "support/scripted_engine.h"
#include "support/temp_dir.h"

namespace quorvane {
namespace {

const QString kWatcher = "org.kde.StatusNotifierWatcher";

TEST(OneFlowOverDBus, AClickFromTheLayoutBeforeAnAlertStartsNothingWhileItIsUp) {
  testing::PrivateSessionBus bus;
  ASSERT_TRUE(bus.running) << "needs dbus-daemon and Debian's status-notifier-watcher";
  testing::TempDir dir;
  testing::FakeSystem system;
  system.supportDirectory = dir / "data";
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

  // The host finds the one item the watcher knows and shows its layout, with every
  // command enabled, until it fetches again.
  const QDBusConnection host = bus.connect();
  const QStringList items = testing::property(host, kWatcher, "/StatusNotifierWatcher", kWatcher,
                                              "RegisteredStatusNotifierItems")
                                .toStringList();
  ASSERT_EQ(items.size(), 1);
  const QString service = items.front().section('/', 0, 0);
  std::map<std::string, int> ids;
  for (const auto& [id, label] : testing::menuEntries(host, service)) ids[label] = id;
  auto click = [&](const std::string& label) {
    ASSERT_TRUE(ids.count(label)) << label;
    testing::menuEvent(host, service, ids.at(label));
  };

  bool answered = false;
  testing::whenModal([&](QWidget* modal) {
    auto* alert = qobject_cast<AlertDialog*>(modal);
    ASSERT_NE(alert, nullptr);
    // A dialog opened over the alert would hold the test until its timeout.
    for (const char* label :
         {"Export Server Connection…", "Account…", "Sign In Again…", "About Quorvane"}) {
      click(label);
    }
    // Menu choices come through the main queue: once this has run, they have.
    bool through = false;
    loop.post([&] { through = true; });
    EXPECT_TRUE(testing::processUntil([&] { return through; }));
    EXPECT_EQ(QApplication::activeModalWidget(), modal);
    EXPECT_TRUE(engine.runs.empty());
    EXPECT_TRUE(app->busy());
    EXPECT_EQ(app->worker(), nullptr);
    alert->buttons().back()->click();  // Cancel
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
