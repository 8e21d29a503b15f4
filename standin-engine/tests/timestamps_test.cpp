// Changes that a file's time stamp does not show: writes within the time stamp
// that a pass saw (through a memory map, or too quick for the clock), an edit
// right after a download arrived, an edit whose time was put back. A file that
// changed too recently for its time to tell is read again at the next pass;
// every file is read once a day, whatever its stat says.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine_harness.h"

namespace {

// Writes over the file in place and puts its modification time back.
void write_keeping_time(const fs::path& file, const std::string& content) {
  struct stat before;
  ASSERT_EQ(stat(file.c_str(), &before), 0);
  int fd = open(file.c_str(), O_WRONLY | O_CLOEXEC);
  EXPECT_EQ(pwrite(fd, content.data(), content.size(), 0), static_cast<ssize_t>(content.size()));
  const timespec times[2] = {before.st_atim, before.st_mtim};
  EXPECT_EQ(futimens(fd, times), 0);
  close(fd);
}

TEST_F(EngineTest, changes_the_time_stamp_misses_are_found_by_reading_again) {
  enum class Edit { within_the_time_stamp_read, right_after_a_download, time_put_back_later };
  for (Edit edit : {Edit::within_the_time_stamp_read, Edit::right_after_a_download,
                    Edit::time_put_back_later}) {
    const auto [user, password, desk, laptop] = new_household();
    SCOPED_TRACE(user);
    const fs::path file = desk.folder / "f.txt";
    write_text(file, "version 1");
    const timespec an_hour_ago[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    utimensat(AT_FDCWD, file.c_str(), an_hour_ago, 0);
    sync(desk);
    sync(laptop);
    switch (edit) {
      case Edit::within_the_time_stamp_read:
        write_text(file, "version 2");
        sync(desk);
        write_keeping_time(file, "version 3");
        sync(desk);
        break;
      case Edit::right_after_a_download:
        write_text(file, "version 2");
        sync(desk);
        sync(laptop);
        write_keeping_time(laptop.folder / "f.txt", "version 3");
        sync(laptop);
        break;
      case Edit::time_put_back_later:
        write_keeping_time(file, "version 3");
        sync(desk);
        run_sql(desk.folder / ".quorvane" / "base.sqlite", "UPDATE base SET checked = 1");
        sync(desk);
        break;
    }
    sync(desk);
    sync(laptop);
    EXPECT_EQ(read_text(desk.folder / "f.txt"), "version 3");
    EXPECT_EQ(read_text(laptop.folder / "f.txt"), "version 3");
  }
}

}  // namespace
