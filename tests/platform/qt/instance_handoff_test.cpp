// Files opened with the application: from the command line, handed over by a later
// launch, held until nothing modal is up. The lock that decides which launch runs
// is in linux/instance_lock_test.cpp, the whole path from the command line and
// from xdg-open in e2e/run.sh and e2e/install.sh.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>
#include <future>

#include "platform/posix/file_descriptor.h"
#include "platform/qt/instance_handoff.h"
#include "platform/qt/opened_files_queue.h"
#include "platform/qt/opened_paths.h"
#include "qt_test_support.h"
#include "support/temp_dir.h"

namespace quorvane {
namespace {

using testing::processUntil;
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
