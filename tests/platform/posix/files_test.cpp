// Folder and log modes, a link in the log's place and appending are checked through
// the sync log (app/sync_log_test.cpp, engine/process_engine_test.cpp).
#include "platform/posix/files.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace quorvane {
namespace {

TEST(Files, ReadWholeGivesRegularFilesWithinTheLimitOnly) {
  testing::TempDir temp;
  testing::writeFile(temp / "ten", "0123456789");
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

}  // namespace
}  // namespace quorvane
