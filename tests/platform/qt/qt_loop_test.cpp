// The main loop: posts, delayed blocks and the default-mode tick around modals,
// and how a quit request ends it (SIGTERM during an alert, in e2e/run.sh).
#include <gtest/gtest.h>

#include <QPushButton>
#include <QThread>
#include <atomic>

#include "platform/qt/alert_dialog.h"
#include "platform/qt/default_mode_timer.h"
#include "qt_test_support.h"

namespace quorvane {
namespace {

using testing::processUntil;

class QtLoopTest : public testing::QtUiTest {
 protected:
  int ticks = 0;
  // Tests stand in for its clock with fire().
  std::unique_ptr<RepeatingTimer> timer = loop.repeat(Seconds(3600), [this] { ++ticks; });
  void tick() { dynamic_cast<DefaultModeTimer&>(*timer).fire(); }
};

TEST_F(QtLoopTest, PostsFromManyThreadsRunOnTheMainThreadInOrder) {
  constexpr int kThreads = 4, kPosts = 200;
  std::vector<std::vector<int>> seen(kThreads);
  std::atomic<int> offMain = 0, finished = 0;
  for (int t = 0; t < kThreads; ++t) {
    loop.background([&, t] {
      for (int i = 0; i < kPosts; ++i) {
        loop.post([&, t, i] {
          if (QThread::currentThread() != qApp->thread()) ++offMain;
          seen[t].push_back(i);
        });
      }
      ++finished;
    });
  }
  ASSERT_TRUE(processUntil([&] {
    return finished == kThreads &&
           std::all_of(seen.begin(), seen.end(), [](auto& s) { return s.size() == kPosts; });
  }));
  for (const auto& s : seen) EXPECT_TRUE(std::is_sorted(s.begin(), s.end()));
  EXPECT_EQ(offMain, 0);
}

// Inside a modal nested in another (a menu open over a dialog, say) nothing ticks
// either; the missed ticks arrive as one, after the outermost has closed.
TEST_F(QtLoopTest, DuringModalsPostsAndDelayedBlocksRunAndTicksArriveAsOneAfterwards) {
  bool posted = false, delayed = false;
  int ticksDuringModal = -1;
  testing::whenModal([&](QWidget* modal) {
    loop.background([&] { loop.post([&] { posted = true; }); });
    loop.after(Seconds(0.01), [&, modal] {
      delayed = true;
      tick();
      gate.enter();
      tick();
      gate.leave();
      tick();
      processUntil([&] { return posted; });
      ticksDuringModal = ticks;
      qobject_cast<AlertDialog*>(modal)->buttons().front()->click();
    });
  });
  EXPECT_EQ(ui.runAlert(Alert{"Restore a file version", "", {"OK"}, std::nullopt}).response, 1000);
  EXPECT_TRUE(posted);
  EXPECT_TRUE(delayed);
  EXPECT_EQ(ticksDuringModal, 0);
  EXPECT_EQ(ticks, 0) << "the tick waits until the modal's caller has returned";
  QApplication::processEvents();
  QApplication::processEvents();
  EXPECT_EQ(ticks, 1);

  // A missed tick whose timer is gone is never delivered; a real interval repeats.
  gate.enter();
  tick();
  gate.leave();
  timer.reset();
  QApplication::processEvents();
  EXPECT_EQ(ticks, 1);
  timer = loop.repeat(Seconds(0.01), [this] { ++ticks; });
  EXPECT_TRUE(processUntil([&] { return ticks >= 4; }));
}

TEST_F(QtLoopTest, DiscardedPostsAndDelayedBlocksNeverRunAndReleaseWhatTheyHold) {
  auto held = std::make_shared<int>(0);
  bool ran = false;
  loop.post([held, &ran] { ran = true; });
  loop.after(Seconds(0), [held, &ran] { ran = true; });
  loop.discardPending();
  EXPECT_EQ(held.use_count(), 1);
  loop.post([&ran] { ran = true; });
  QApplication::processEvents();
  EXPECT_FALSE(ran);
}

TEST_F(QtLoopTest, QuitDuringAModalEndsItAndLaterDialogsAnswerAtOnceUnlessCancelled) {
  AlertResult interrupted, later, noCancel;
  PanelResult panel{kModalResponseOK, "/x"};
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
