// A file's content damaged on the server: a computer that cannot have the file
// says which it is, and a computer that still has the content repairs the server.
#include "engine_harness.h"

namespace {

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
