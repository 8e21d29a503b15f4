#include "app/sync_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace quorvane::testing {
namespace {

namespace fs = std::filesystem;

fs::perms permissions(const fs::path& path) {
  return fs::status(path).permissions() & fs::perms::all;
}

TEST(SyncLog, MakesPrivateFoldersAndLogWhateverTheUmaskAndLeavesAFolderThatExists) {
  TempDir dir;
  const fs::path support = dir / "a" / "Quorvane";
  const mode_t umask = ::umask(0777);  // mkdir and open apply it; the modes must not
  files::OpenResult log = openSyncLog(support, support / "sync.log");
  ::umask(umask);
  ASSERT_TRUE(log.fd) << log.error;
  EXPECT_EQ(permissions(dir / "a"), fs::perms::owner_all);
  EXPECT_EQ(permissions(support), fs::perms::owner_all);
  EXPECT_EQ(permissions(support / "sync.log"), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::file_size(support / "sync.log"), 0u);

  const fs::perms chosen = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec;
  fs::permissions(support, chosen);
  ASSERT_TRUE(openSyncLog(support, support / "sync.log").fd);
  EXPECT_EQ(permissions(support), chosen);

  writeFile(dir / "file", "a file where the folder belongs");
  files::OpenResult refused = openSyncLog(dir / "file", dir / "file" / "sync.log");
  EXPECT_FALSE(refused.fd);
  EXPECT_EQ(refused.error, "Not a directory: " + (dir / "file").string());
}

TEST(SyncLog, ALinkInItsPlaceIsReplacedByARegularFileAndNeverFollowed) {
  for (const bool dangling : {true, false}) {
    TempDir dir;
    const fs::path support = dir / "Quorvane";
    fs::create_directories(support);
    const fs::path target = dir / "elsewhere";
    if (!dangling) writeFile(target, "not the log's");
    fs::create_symlink(target, support / "sync.log");

    files::OpenResult log = openSyncLog(support, support / "sync.log");
    ASSERT_TRUE(log.fd) << log.error;
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(support / "sync.log")));
    EXPECT_EQ(fs::exists(target), !dangling);
    if (!dangling) {
      EXPECT_EQ(readFile(target), "not the log's");
    }
  }
}

}  // namespace
}  // namespace quorvane::testing
