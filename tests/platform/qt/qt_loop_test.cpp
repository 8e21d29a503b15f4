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

TEST_F(QtLoopTest, DuringAModalPostsAndDelayedBlocksRunAndTicksArriveAsOneAfterIt) {
  bool posted = false, delayed = false;
  int ticksDuringModal = -1;
  testing::whenModal([&](QWidget* modal) {
    loop.background([&] { loop.post([&] { posted = true; }); });
    loop.after(Seconds(0.01), [&, modal] {
      delayed = true;
      for (int i = 0; i < 3; ++i) tick();
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
}

TEST_F(QtLoopTest, GateCountsNestingAndOpenTicksAtOnce) {
  tick();
  EXPECT_EQ(ticks, 1);
  gate.enter();
  gate.enter();
  tick();
  gate.leave();
  QApplication::processEvents();
  EXPECT_EQ(ticks, 1) << "still inside the outer modal";
  gate.leave();
  QApplication::processEvents();
  EXPECT_EQ(ticks, 2);

  // A missed tick whose timer is gone is never delivered.
  gate.enter();
  tick();
  gate.leave();
  timer.reset();
  QApplication::processEvents();
  EXPECT_EQ(ticks, 2);

  timer = loop.repeat(Seconds(0.01), [this] { ++ticks; });
  EXPECT_TRUE(processUntil([&] { return ticks >= 5; })) << "a real interval ticks repeatedly";
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
