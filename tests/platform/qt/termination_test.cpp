#include <gtest/gtest.h>

#include <QPushButton>
#include <csignal>

#include "platform/qt/alert_dialog.h"
#include "platform/qt/modal_gate.h"
#include "platform/qt/qt_loop.h"
#include "platform/qt/qt_ui.h"
#include "platform/qt/termination_signals.h"
#include "qt_test_support.h"

namespace quorvane {
namespace {

using testing::processUntil;
using testing::whenModal;

TEST(TerminationSignals, EachQuitSignalBecomesOneCallOnTheMainThread) {
  for (int number : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(number);
    int calls = 0;
    {
      TerminationSignals handler([&] { ++calls; });
      ASSERT_TRUE(handler.installed());
      ASSERT_EQ(std::raise(number), 0);
      EXPECT_TRUE(processUntil([&] { return calls == 1; }));
    }
    struct sigaction now = {};
    ::sigaction(number, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
  }
}

class Quitter : public ApplicationDelegate {
 public:
  TerminateReply reply = TerminateReply::now;
  int asked = 0;
  void applicationDidFinishLaunching() override {}
  TerminateReply applicationShouldTerminate() override {
    ++asked;
    return reply;
  }
  void applicationOpen(const std::vector<std::filesystem::path>&) override {}
  void performMenuAction(MenuAction) override {}
};

class TerminateTest : public ::testing::Test {
 protected:
  ModalGate gate;
  QtLoop loop{gate};
  QtUi ui{gate, loop};
  Quitter delegate;
  void SetUp() override { ui.setDelegate(&delegate); }
};

TEST_F(TerminateTest, QuitDuringAModalEndsItAndLaterDialogsAnswerAtOnce) {
  AlertResult interrupted, later, noCancel;
  PanelResult panel{kModalResponseOK, "/x"};
  QTimer::singleShot(0, [&] {
    whenModal([&](QWidget*) { ui.terminate(); });
    interrupted = ui.runAlert(Alert{"Restore", "", {"Restore Version", "Cancel"}, std::nullopt});
    later = ui.runAlert(Alert{"Could not restore", "", {}, std::nullopt});
    noCancel = ui.runAlert(Alert{"Your account", "", {"Change Password…", "Done"}, std::nullopt});
    panel = ui.runSavePanel(SavePanel{});
  });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_EQ(delegate.asked, 1);
  EXPECT_EQ(interrupted.response, 1001);
  // Without a "Cancel", no button was pressed: never the first one, which acts.
  EXPECT_EQ(later.response, kModalResponseAbort);
  EXPECT_EQ(noCancel.response, kModalResponseAbort);
  EXPECT_EQ(panel.response, kModalResponseCancel);
  EXPECT_FALSE(panel.url);
  EXPECT_TRUE(ui.terminatedInsideModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(TerminateTest, ACancelledQuitKeepsRunning) {
  delegate.reply = TerminateReply::cancel;
  QTimer::singleShot(0, [&] { ui.terminate(); });
  QTimer::singleShot(0, [] { QCoreApplication::exit(7); });
  EXPECT_EQ(QApplication::exec(), 7);
  EXPECT_EQ(delegate.asked, 1);
  EXPECT_FALSE(ui.terminating());
}

}  // namespace
}  // namespace quorvane
