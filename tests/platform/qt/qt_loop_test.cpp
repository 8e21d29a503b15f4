// The main loop: posts, delayed blocks, the default-mode tick around modals and a
// quit request; then files opened with the application, from the command line or
// handed over by a later launch, held until nothing modal is up.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <QPushButton>
#include <QThread>
#include <atomic>
#include <cstring>
#include <future>

#include "platform/posix/file_descriptor.h"
#include "platform/qt/alert_dialog.h"
#include "platform/qt/default_mode_timer.h"
#include "platform/qt/instance_handoff.h"
#include "platform/qt/opened_files_queue.h"
#include "platform/qt/opened_paths.h"
#include "qt_test_support.h"
#include "support/temp_dir.h"

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
  // Without a "Cancel", no button was pressed: never the first one, which acts.
  EXPECT_EQ(std::tuple(interrupted.response, later.response, noCancel.response, panel.response),
            std::tuple(1001, kModalResponseAbort, kModalResponseAbort, kModalResponseCancel));
  EXPECT_FALSE(panel.url);
  EXPECT_TRUE(ui.terminatedInsideModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

using Paths = std::vector<std::filesystem::path>;

TEST(OpenedPaths, TakesFilesAndSkipsOptions) {
  const std::filesystem::path here = std::filesystem::current_path();
  const struct {
    std::vector<std::string> arguments;
    Paths paths;
  } cases[] = {
      {{"q", "/srv/Home.quorvane-server", "--enable-login"}, {"/srv/Home.quorvane-server"}},
      {{"q", "invite.json", "-x"}, {here / "invite.json"}},
      {{"q", "--", "--enable-login", "-"}, {here / "--enable-login", here / "-"}},
  };
  for (const auto& c : cases) EXPECT_EQ(openedPaths(c.arguments), c.paths) << c.arguments[1];
}

// The later launch runs beside the running instance's loop, as another process would.
std::optional<std::string> handOffWhileServing(const std::filesystem::path& socket,
                                               const Paths& paths) {
  auto sent = std::async(std::launch::async, [&] { return handOffPaths(socket, paths); });
  processUntil([&] { return sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
  return sent.get();
}

TEST(InstanceHandoff, PathsReachTheRunningInstanceOverAStaleSocket) {
  testing::TempDir dir;
  const auto socket = dir / "org.quorvane.Quorvane.socket";
  {
    // Left behind by an instance that crashed.
    FileDescriptor stale(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_un address{AF_UNIX, {}};
    std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(stale.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  }
  std::vector<Paths> received;
  HandoffServer server([&](Paths paths) { received.push_back(std::move(paths)); });
  ASSERT_EQ(server.listen(socket), std::nullopt);

  const Paths sent = {"/home/a/Home.quorvane-server", "/tmp/odd\nname \xff.json"};
  EXPECT_EQ(handOffWhileServing(socket, sent), std::nullopt);
  handOffWhileServing(socket, Paths(400'000, "/f"));  // far more than anyone opens: refused
  EXPECT_EQ(handOffWhileServing(socket, {"/later"}), std::nullopt);
  EXPECT_EQ(received, (std::vector<Paths>{sent, {"/later"}}));
}

// Each opening is its own call, also when several arrive while a dialog is up,
// and the next one waits until the dialogs the previous one opened have closed.
using OpenedFilesQueueTest = testing::QtUiTest;

TEST_F(OpenedFilesQueueTest, WaitsForLaunchAndDialogsAndHandsOverEachOpeningAlone) {
  std::vector<Paths> delivered;
  std::size_t deliveredWhileItsDialogWasUp = 0;
  OpenedFilesQueue queue(gate, [&](const Paths& paths) {
    delivered.push_back(paths);
    if (paths.front() != "/a") return;
    testing::whenModal([&](QWidget* dialog) {
      queue.add({"/c"});
      QApplication::processEvents();
      deliveredWhileItsDialogWasUp = delivered.size();
      dialog->close();
    });
    ui.runAlert(Alert{"Sign in to Quorvane", "", {}, std::nullopt});
  });

  queue.add({"/early"});
  EXPECT_TRUE(delivered.empty()) << "before launch has finished";
  queue.launched();
  EXPECT_EQ(delivered, std::vector<Paths>{{"/early"}});

  gate.enter();
  queue.add({"/a", "/a2"});
  queue.add({"/b"});
  gate.leave();
  EXPECT_EQ(delivered.size(), 1u) << "not from inside the closing modal";
  QApplication::processEvents();
  EXPECT_EQ(deliveredWhileItsDialogWasUp, 2u);
  EXPECT_EQ(delivered, (std::vector<Paths>{{"/early"}, {"/a", "/a2"}, {"/b"}, {"/c"}}));

  queue.close();
  queue.add({"/late"});
  QApplication::processEvents();
  EXPECT_EQ(delivered.size(), 4u);
}

}  // namespace
}  // namespace quorvane
