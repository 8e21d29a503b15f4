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

TEST(SyncLog, CreatesAPrivateFolderWithParentsAndAPrivateLog) {
  TempDir dir;
  const fs::path support = dir / "a" / "b" / "Quorvane";
  files::OpenResult log = openSyncLog(support, support / "sync.log");
  ASSERT_TRUE(log.fd) << log.error;
  EXPECT_EQ(permissions(support), fs::perms::owner_all);
  EXPECT_EQ(permissions(support / "sync.log"), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::file_size(support / "sync.log"), 0u);
}

TEST(SyncLog, LeavesAnExistingFolderAsItIs) {
  TempDir dir;
  const fs::path support = dir / "Quorvane";
  fs::create_directory(support);
  fs::permissions(support, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  ASSERT_TRUE(openSyncLog(support, support / "sync.log").fd);
  EXPECT_EQ(permissions(support),
            fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

TEST(SyncLog, SaysWhyItCannotBeOpened) {
  TempDir dir;
  writeFile(dir / "Quorvane", "a file where the folder belongs");
  files::OpenResult log = openSyncLog(dir / "Quorvane", dir / "Quorvane" / "sync.log");
  EXPECT_FALSE(log.fd);
  EXPECT_FALSE(log.error.empty());
}

}  // namespace
}  // namespace quorvane::testing
