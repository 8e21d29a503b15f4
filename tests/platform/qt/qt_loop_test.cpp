#include <gtest/gtest.h>

#include <QPushButton>
#include <QThread>
#include <atomic>
#include <thread>

#include "platform/qt/alert_dialog.h"
#include "platform/qt/default_mode_timer.h"
#include "platform/qt/modal_gate.h"
#include "platform/qt/qt_loop.h"
#include "platform/qt/qt_ui.h"
#include "qt_test_support.h"

namespace quorvane {
namespace {

using testing::processUntil;
using testing::whenModal;

constexpr Seconds kNever{3600};  // tests stand in for the clock with fire()

class QtLoopTest : public ::testing::Test {
 protected:
  ModalGate gate;
  QtLoop loop{gate};
  QtUi ui{gate, loop};
  int ticks = 0;

  std::unique_ptr<RepeatingTimer> counting() {
    return loop.repeat(kNever, [this] { ++ticks; });
  }
  static DefaultModeTimer& clock(const std::unique_ptr<RepeatingTimer>& timer) {
    return dynamic_cast<DefaultModeTimer&>(*timer);
  }
};

TEST_F(QtLoopTest, PostsFromManyThreadsRunOnTheMainThreadInOrder) {
  constexpr int kThreads = 4, kPosts = 200;
  std::vector<std::vector<int>> seen(kThreads);
  std::atomic<int> offMain = 0;
  std::atomic<int> finished = 0;
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

TEST_F(QtLoopTest, PostsAndDelayedBlocksRunWhileAModalIsUp) {
  bool posted = false, delayed = false;
  whenModal([&](QWidget* modal) {
    loop.background([&] { loop.post([&] { posted = true; }); });
    loop.after(Seconds(0.01), [&, modal] {
      delayed = true;
      processUntil([&] { return posted; });
      qobject_cast<AlertDialog*>(modal)->buttons().front()->click();
    });
  });
  AlertResult result = ui.runAlert(Alert{"Working", "", {"OK"}, std::nullopt});
  EXPECT_TRUE(posted);
  EXPECT_TRUE(delayed);
  EXPECT_EQ(result.response, 1000);
}

TEST_F(QtLoopTest, TicksMissedDuringAModalArriveAsOneAfterIt) {
  auto timer = counting();
  int ticksDuringModal = -1;
  whenModal([&](QWidget* modal) {
    for (int i = 0; i < 3; ++i) clock(timer).fire();
    QApplication::processEvents();
    ticksDuringModal = ticks;
    qobject_cast<AlertDialog*>(modal)->buttons().front()->click();
  });
  ui.runAlert(Alert{"Restore a file version", "", {"Restore Version"}, std::nullopt});
  EXPECT_EQ(ticksDuringModal, 0);
  EXPECT_EQ(ticks, 0) << "the tick waits until the modal's caller has returned";
  QApplication::processEvents();
  QApplication::processEvents();
  EXPECT_EQ(ticks, 1);
}

TEST_F(QtLoopTest, GateCountsNestingAndOpenTicksAtOnce) {
  auto timer = counting();
  clock(timer).fire();
  EXPECT_EQ(ticks, 1);

  gate.enter();
  gate.enter();
  clock(timer).fire();
  gate.leave();
  QApplication::processEvents();
  EXPECT_EQ(ticks, 1) << "still inside the outer modal";
  gate.leave();
  QApplication::processEvents();
  EXPECT_EQ(ticks, 2);

  // A missed tick whose timer is gone is never delivered.
  gate.enter();
  clock(timer).fire();
  gate.leave();
  timer.reset();
  QApplication::processEvents();
  EXPECT_EQ(ticks, 2);
}

TEST_F(QtLoopTest, RealTimerTicksRepeatedly) {
  auto timer = loop.repeat(Seconds(0.01), [this] { ++ticks; });
  EXPECT_TRUE(processUntil([&] { return ticks >= 3; }));
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

}  // namespace
}  // namespace quorvane
