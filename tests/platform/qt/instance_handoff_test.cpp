// A second launch handing its files to the running instance; the instance lock that
// decides which one runs is in linux/instance_lock_test.cpp, the whole path from
// the command line and from xdg-open in e2e/run.sh and e2e/install.sh.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <atomic>
#include <cstring>
#include <thread>

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
      {{"quorvane-menubar"}, {}},
      {{"q", "/srv/Home.quorvane-server", "--enable-login"}, {"/srv/Home.quorvane-server"}},
      {{"q", "invite.json", "-x"}, {here / "invite.json"}},
      {{"q", "--", "--enable-login", "-"}, {here / "--enable-login", here / "-"}},
  };
  for (const auto& c : cases) EXPECT_EQ(openedPaths(c.arguments), c.paths) << c.arguments.size();
}

// A socket at `path`, bound (a server that crashed) or connected (a client).
FileDescriptor unixSocket(const std::filesystem::path& path, bool bind) {
  FileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  auto* raw = reinterpret_cast<sockaddr*>(&address);
  if ((bind ? ::bind(fd.get(), raw, sizeof address) : ::connect(fd.get(), raw, sizeof address))) {
    fd.reset();
  }
  return fd;
}

TEST(InstanceHandoff, PathsReachTheRunningInstanceOverAStaleSocket) {
  using namespace std::string_literals;
  EXPECT_EQ(parseHandoff(QByteArray::fromStdString("/a\0\0/cut"s)), Paths{"/a"});

  testing::TempDir dir;
  const auto socket = dir / "org.quorvane.Quorvane.socket";
  ASSERT_TRUE(unixSocket(socket, true));  // left behind by an instance that crashed
  std::vector<Paths> received;
  HandoffServer server([&](Paths paths) { received.push_back(std::move(paths)); });
  ASSERT_EQ(server.listen(socket), std::nullopt);

  const Paths sent = {"/home/a/Home.quorvane-server", "/tmp/odd\nname \xff.json"};
  EXPECT_EQ(handOffPaths(socket, sent), std::nullopt);
  ASSERT_TRUE(processUntil([&] { return !received.empty(); }));
  EXPECT_EQ(received, std::vector<Paths>{sent});

  // Far more than anyone opens is refused whole, and the server keeps serving.
  std::atomic<bool> flooded = false;
  std::thread flood([&] {
    FileDescriptor fd = unixSocket(socket, false);
    std::string chunk;
    while (chunk.size() < 64 * 1024) chunk.append("/f", 3);  // NUL-terminated entries
    for (int i = 0; fd && i < 40; ++i) {
      if (::send(fd.get(), chunk.data(), chunk.size(), MSG_NOSIGNAL) < 0) break;
    }
    flooded = true;
  });
  EXPECT_TRUE(processUntil([&] { return flooded.load(); }));
  flood.join();
  EXPECT_EQ(handOffPaths(socket, {"/after"}), std::nullopt);
  ASSERT_TRUE(processUntil([&] { return received.size() == 2; }));
  EXPECT_EQ(received.back(), Paths{"/after"});
}

TEST(OpenedFilesQueue, HoldsFilesUntilLaunchedAndNoModalIsUp) {
  ModalGate gate;
  std::vector<Paths> delivered;
  OpenedFilesQueue queue(gate, [&](const Paths& paths) { delivered.push_back(paths); });

  queue.add({"/early"});
  EXPECT_TRUE(delivered.empty()) << "before launch has finished";
  queue.launched();
  EXPECT_EQ(delivered, std::vector<Paths>{{"/early"}});

  gate.enter();
  queue.add({"/a"});
  queue.add({"/b"});
  gate.leave();
  EXPECT_EQ(delivered.size(), 1u) << "not from inside the closing modal";
  QApplication::processEvents();
  EXPECT_EQ(delivered.back(), (Paths{"/a", "/b"}));

  queue.close();
  queue.add({"/late"});
  QApplication::processEvents();
  EXPECT_EQ(delivered.size(), 2u);
}

}  // namespace
}  // namespace quorvane
