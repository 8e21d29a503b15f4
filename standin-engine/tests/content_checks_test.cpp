// Content a pass must not take on trust: changes a file's time stamp does not
// show, and an object damaged on the server.
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

TEST_F(EngineTest, a_damaged_object_is_named_and_repaired_by_a_computer_that_has_it) {
  enum class Found { by_a_download, by_saving_the_same_content_anew };
  const struct {
    Found found;
    bool written_long_ago;  // or just now, so that it is read again anyway
  } cases[] = {{Found::by_a_download, true},
               {Found::by_a_download, false},
               {Found::by_saving_the_same_content_anew, true}};
  const std::string named =
      "f.txt: Quorvane Home’s copy of this file is damaged; it arrives once a computer that has it "
      "sends it again.";
  for (const auto& [found, written_long_ago] : cases) {
    const auto [user, password, desk, laptop] = new_household();
    SCOPED_TRACE(user);
    const std::string content = "precious words of " + user, digest = sha256_of(content);
    write_text(desk.folder / "f.txt", content);
    if (written_long_ago)
      fs::last_write_time(desk.folder / "f.txt",
                          fs::last_write_time(desk.folder / "f.txt") - std::chrono::hours(1));
    sync(desk);
    const fs::path object = home->data / "objects" / digest.substr(0, 2) / digest;
    fs::permissions(object, fs::perms::owner_write, fs::perm_options::add);
    write_text(object, std::string(content.size(), '?'));
    if (found == Found::by_a_download) {
      auto failed = command(laptop, "watch", {"--once"});
      EXPECT_NE(failed.status, 0);
      EXPECT_NE(failed.output.find(named), std::string::npos) << failed.output;
      EXPECT_EQ(status(laptop)["message"], named);
      sync(desk);  // nothing changed there: it sends the content again of its own accord
    } else {
      write_text(desk.folder / "copy.txt", content);
      sync(desk);
    }
    sync(laptop);
    EXPECT_EQ(read_text(laptop.folder / "f.txt"), content);
    EXPECT_EQ(sha256_of(read_text(object)), digest);
  }
}

}  // namespace
