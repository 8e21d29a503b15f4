#include <gtest/gtest.h>

#include <csignal>

#include "platform/qt/termination_signals.h"
#include "qt_test_support.h"

namespace quorvane {
namespace {

TEST(TerminationSignals, EachQuitSignalBecomesOneCallOnTheMainThread) {
  for (int number : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(number);
    int calls = 0;
    {
      TerminationSignals handler([&] { ++calls; });
      ASSERT_TRUE(handler.installed());
      ASSERT_EQ(std::raise(number), 0);
      EXPECT_TRUE(testing::processUntil([&] { return calls == 1; }));
    }
    struct sigaction now = {};
    ::sigaction(number, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
  }
}

using TerminateTest = testing::QtUiTest;

TEST_F(TerminateTest, QuitDuringAModalEndsItAndLaterDialogsAnswerAtOnceUnlessCancelled) {
  AlertResult interrupted, later, noCancel;
  PanelResult panel{kModalResponseOK, "/x"};
  QObject deadline;  // only keeps a quit that never comes from hanging the suite
  QTimer::singleShot(10000, &deadline, [] { QCoreApplication::exit(99); });
  QTimer::singleShot(0, [&] {
    delegate.reply = TerminateReply::cancel;
    ui.terminate();
    EXPECT_FALSE(ui.terminating()) << "a cancelled quit keeps running";
    delegate.reply = TerminateReply::now;
    testing::whenModal([&](QWidget*) { ui.terminate(); });
    interrupted = ui.runAlert(Alert{"Restore", "", {"Restore Version", "Cancel"}, std::nullopt});
    later = ui.runAlert(Alert{"Could not restore", "", {}, std::nullopt});
    noCancel = ui.runAlert(Alert{"Your account", "", {"Change Password…", "Done"}, std::nullopt});
    panel = ui.runSavePanel(SavePanel{});
  });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_EQ(delegate.askedToTerminate, 2);
  EXPECT_EQ(interrupted.response, 1001);
  // Without a "Cancel", no button was pressed: never the first one, which acts.
  EXPECT_EQ(later.response, kModalResponseAbort);
  EXPECT_EQ(noCancel.response, kModalResponseAbort);
  EXPECT_EQ(panel.response, kModalResponseCancel);
  EXPECT_FALSE(panel.url);
  EXPECT_TRUE(ui.terminatedInsideModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace quorvane
