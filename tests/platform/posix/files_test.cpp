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

mode_t modeOf(const std::filesystem::path& path) {
  struct stat info = {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

// Sets the umask for the life of the object.
class Umask {
 public:
  explicit Umask(mode_t mask) : saved_(::umask(mask)) {}
  ~Umask() { ::umask(saved_); }

 private:
  mode_t saved_;
};

TEST(Files, CreateDirectoriesGivesNewFoldersTheExactModeAndLeavesOthersAlone) {
  TempDir temp;
  std::filesystem::create_directory(temp / "existing");
  ::chmod((temp / "existing").c_str(), 0755);
  Umask umask(022);
  // A restrictive umask must not weaken 0700, and a lax one not widen it.
  EXPECT_EQ(files::createDirectories(temp / "existing/a/b", 0700), std::nullopt);
  EXPECT_EQ(modeOf(temp / "existing"), 0755u);
  EXPECT_EQ(modeOf(temp / "existing/a"), 0700u);
  EXPECT_EQ(modeOf(temp / "existing/a/b"), 0700u);
  EXPECT_EQ(files::createDirectories(temp / "existing/a/b", 0750), std::nullopt);
  EXPECT_EQ(modeOf(temp / "existing/a/b"), 0700u);

  Umask strict(0777);
  EXPECT_EQ(files::createDirectories(temp / "strict", 0700), std::nullopt);
  EXPECT_EQ(modeOf(temp / "strict"), 0700u);

  writeFile(temp / "file", "x");
  EXPECT_EQ(files::createDirectories(temp / "file/below", 0700),
            "Not a directory: " + (temp / "file").string());
}

TEST(Files, CreateEmptyUsesTheExactModeAndNeverReplaces) {
  TempDir temp;
  Umask umask(077);
  EXPECT_TRUE(files::createEmpty(temp / "log", 0640));
  EXPECT_EQ(modeOf(temp / "log"), 0640u);
  EXPECT_EQ(readFile(temp / "log"), "");
  writeFile(temp / "log", "kept");
  EXPECT_FALSE(files::createEmpty(temp / "log", 0600));
  EXPECT_EQ(readFile(temp / "log"), "kept");
  std::filesystem::create_symlink(temp / "elsewhere", temp / "link");
  EXPECT_FALSE(files::createEmpty(temp / "link", 0600));  // dangling links are not followed
  EXPECT_FALSE(std::filesystem::exists(temp / "elsewhere"));
}

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
  for (const auto& c : cases)
    EXPECT_EQ(files::readWhole(temp / c.name, c.limit), c.expected) << c.name;
}

TEST(Files, SizeExistsAndRemove) {
  TempDir temp;
  writeFile(temp / "file", std::string(2000001, 'x'));
  EXPECT_EQ(files::size(temp / "file"), 2000001u);
  EXPECT_EQ(files::size(temp / "missing"), std::nullopt);
  EXPECT_TRUE(files::exists(temp / "file"));
  EXPECT_TRUE(files::remove(temp / "file"));
  EXPECT_FALSE(files::exists(temp / "file"));
  EXPECT_FALSE(files::remove(temp / "file"));
}

TEST(Files, OpenForAppendingWritesAtTheEndAndDescribesFailures) {
  TempDir temp;
  writeFile(temp / "log", "earlier\n");
  auto opened = files::openForAppending(temp / "log");
  ASSERT_TRUE(opened.fd) << opened.error;
  EXPECT_EQ(::write(opened.fd.get(), "later\n", 6), 6);
  EXPECT_EQ(readFile(temp / "log"), "earlier\nlater\n");
  EXPECT_EQ(::fcntl(opened.fd.get(), F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);
  EXPECT_EQ(::fcntl(opened.fd.get(), F_GETFL) & O_NONBLOCK, 0);

  auto missing = files::openForAppending(temp / "missing");
  EXPECT_FALSE(missing.fd);
  EXPECT_EQ(missing.error, "No such file or directory: " + (temp / "missing").string());
}

}  // namespace
}  // namespace quorvane
