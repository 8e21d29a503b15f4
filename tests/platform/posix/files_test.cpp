// Folder and log modes under any umask, and a link in the log's place, are checked
// through openSyncLog (app/sync_log_test.cpp); an existing log kept and file sizes
// through the watch's log (app/worker_test.cpp).
#include "platform/posix/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace quorvane {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

TEST(Files, ReadWholeGivesRegularFilesWithinTheLimitOnly) {
  TempDir temp;
  writeFile(temp / "ten", "0123456789");
  std::filesystem::create_directory(temp / "folder");
  ASSERT_EQ(::mkfifo((temp / "fifo").c_str(), 0600), 0);
  const struct {
    std::string name;
    std::uintmax_t limit;
    std::optional<std::string> expected;
  } cases[] =
      {
          {"ten", 10, "0123456789"},      {"ten", 9, std::nullopt},
          {"missing", 100, std::nullopt}, {"folder", 100, std::nullopt},
          {"fifo", 100, std::nullopt},  // refused without blocking on the open
      };
  for (const auto& c : cases) {
    EXPECT_EQ(files::readWhole(temp / c.name, c.limit), c.expected) << c.name;
  }
}

// The descriptor becomes a child's output: blocking, and not inherited by others.
TEST(Files, OpenForAppendingWritesAtTheEndAndDescribesFailures) {
  TempDir temp;
  writeFile(temp / "log", "earlier\n");
  auto opened = files::openForAppending(temp / "log");
  ASSERT_TRUE(opened.fd) << opened.error;
  EXPECT_EQ(::write(opened.fd.get(), "later\n", 6), 6);
  EXPECT_EQ(readFile(temp / "log"), "earlier\nlater\n");
  EXPECT_EQ(::fcntl(opened.fd.get(), F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);
  EXPECT_EQ(::fcntl(opened.fd.get(), F_GETFL) & O_NONBLOCK, 0);
  EXPECT_EQ(files::openForAppending(temp / "missing").error,
            "No such file or directory: " + (temp / "missing").string());
}

}  // namespace
}  // namespace quorvane
