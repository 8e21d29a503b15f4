#include <gtest/gtest.h>

#include <functional>

#include "app/app_delegate.h"
#include "platform/qt/modal_gate.h"
#include "platform/qt/qt_loop.h"
#include "platform/qt/qt_ui.h"
#include "qt_test_support.h"
#include "support/fake_engine_bundle.h"
#include "support/fake_system.h"

namespace quorvane {
namespace {

using testing::writeFile;

// The session ends while the first dialog of a flow is up: the adapter answers it
// as cancelled, the flow sends nothing, and the quit's stop, repeated for code that
// resumed after the modal (as the application does), leaves no watch running.
TEST(QuitWhileConnecting, EndsTheFlowAndSendsNothing) {
  using Start = std::function<void(AppDelegate&, const std::filesystem::path&)>;
  const struct {
    const char* dialog;
    bool configured;
    Start start;
  } cases[] = {
      {"chooser", false, [](AppDelegate& a, auto&) { a.setupAction(); }},
      {"server file", false, [](AppDelegate& a, auto&) { a.signIn(std::nullopt); }},
      {"credentials", false, [](AppDelegate& a, auto& file) { a.signIn(file); }},
      {"invitation", false, [](AppDelegate& a, auto&) { a.setupInvitation(std::nullopt); }},
      {"pairing folder", false, [](AppDelegate& a, auto& file) { a.setupInvitation(file); }},
      {"sign in again", true, [](AppDelegate& a, auto&) { a.signInAgain(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dialog);
    testing::TempDir dir;
    testing::FakeEngineBundle bundle;
    testing::FakeSystem system;
    system.supportDirectory = dir.path();
    system.home = dir.path();
    system.bundle = bundle.directory();
    if (c.configured) writeFile(dir / "Quorvane/client.json", R"({"folder": "/tmp"})");
    ModalGate gate;
    QtLoop loop(gate);
    QtUi ui(gate, loop);
    auto app = AppDelegate::create(Platform{loop, ui, system});
    ui.setDelegate(app.get());
    app->start();
    const bool watched = app->worker() != nullptr;

    QTimer::singleShot(0, [&] {
      testing::whenModal([&](QWidget*) { ui.terminate(); });
      c.start(*app, dir / "file");
    });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(ui.terminatedInsideModal());
    if (ui.terminatedInsideModal()) app->applicationShouldTerminate();
    EXPECT_EQ(watched, c.configured);
    EXPECT_EQ(app->worker(), nullptr);
    for (const auto& run : bundle.journal()) EXPECT_EQ(run.arguments.at(0), "watch");
    ui.setDelegate(nullptr);
  }
}

}  // namespace
}  // namespace quorvane
